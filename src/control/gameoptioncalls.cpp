#include "gameoptioncalls.h"

#include "gameregistry.h"
#include "utf8.h"

GameOptionCalls::GameOptionCalls(QObject *parent) : QObject(parent) {}

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

void GameOptionCalls::read(const QString &valueName)
{
    ++pending[valueName];
    QMetaObject::invokeMethod(
        started(),
        [this, valueName] {
            const QString value =
                fromUtf8(readGameValue(valueName.toStdWString(), GameValueKind::Number));
            QMetaObject::invokeMethod(
                this,
                [this, valueName, value] {
                    finished(valueName);
                    emit readDone(valueName, value);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void GameOptionCalls::write(const QString &valueName, bool on)
{
    ++pending[valueName];
    QMetaObject::invokeMethod(
        started(),
        [this, valueName, on] {
            const bool written = writeGameDword(valueName.toStdWString(), on ? 1 : 0);
            QMetaObject::invokeMethod(
                this,
                [this, valueName, on, written] {
                    finished(valueName);
                    emit writeDone(valueName, on, written);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void GameOptionCalls::finished(const QString &valueName)
{
    if (--pending[valueName] <= 0)
        pending.remove(valueName);
}
