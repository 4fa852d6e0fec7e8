#pragma once

#include "gameregistry.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QThread>

#include <string>

// Reads and writes the game's two options on a thread of their own, one call after the other,
// for when each call waits for Wine (see GameRegistry::waitsForWine): the window goes on
// meanwhile.
class GameOptionCalls : public QObject
{
    Q_OBJECT

public:
    // `gameRegistry` is called from the calls' thread and must outlive this.
    explicit GameOptionCalls(const GameRegistry &gameRegistry, QObject *parent = nullptr);
    // Waits for the call under way, which ends within its own time limit; calls not started yet
    // are dropped, and none of them was reported done.
    ~GameOptionCalls() override;

    void read(const std::string &gameFolder, GameOption option);
    void write(const std::string &gameFolder, GameOption option, bool on);
    // A read or write of this option is under way or waiting.
    bool busy(GameOption option) const { return pending.value(option) > 0; }

signals:
    // The value as decimal text, or empty when it could not be read.
    void readDone(GameOption option, const QString &value);
    void writeDone(GameOption option, bool on, bool written);

private:
    void finished(GameOption option);
    QObject *started();

    const GameRegistry &registry;
    QThread thread;
    QObject *caller = nullptr; // lives on `thread` once the first call has started it
    QMap<GameOption, int> pending;
};
