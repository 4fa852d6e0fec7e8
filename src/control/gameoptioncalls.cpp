#include "gameoptioncalls.h"

#include "utf8.h"

GameOptionCalls::GameOptionCalls(const GameRegistry &gameRegistry, QObject *parent)
    : QObject(parent), registry(gameRegistry)
{
}

QObject *GameOptionCalls::started()
{
    // Only where calls wait for Wine: elsewhere the window needs no thread for them.
    if (!caller) {
        caller = new QObject;
        caller->moveToThread(&thread);
        connect(&thread, &QThread::finished, caller, &QObject::deleteLater);
        thread.start();
    }
    return caller;
}

GameOptionCalls::~GameOptionCalls()
{
    thread.quit();
    thread.wait();
}

void GameOptionCalls::read(const std::string &gameFolder, GameOption option)
{
    ++pending[option];
    QMetaObject::invokeMethod(
        started(),
        [this, gameFolder, option] {
            const QString value = fromUtf8(registry.readOption(gameFolder, option));
            QMetaObject::invokeMethod(
                this,
                [this, option, value] {
                    finished(option);
                    emit readDone(option, value);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void GameOptionCalls::write(const std::string &gameFolder, GameOption option, bool on)
{
    ++pending[option];
    QMetaObject::invokeMethod(
        started(),
        [this, gameFolder, option, on] {
            const bool written = registry.writeOption(gameFolder, option, on);
            QMetaObject::invokeMethod(
                this,
                [this, option, on, written] {
                    finished(option);
                    emit writeDone(option, on, written);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void GameOptionCalls::finished(GameOption option)
{
    if (--pending[option] <= 0)
        pending.remove(option);
}
