#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QThread>

// Reads and writes the game's two options on a thread of their own, one call after the other,
// for when each call waits for Wine (see gameOptionsWaitForWine): the window goes on meanwhile.
class GameOptionCalls : public QObject
{
    Q_OBJECT

public:
    explicit GameOptionCalls(QObject *parent = nullptr);
    // Waits for the call under way, which ends within its own time limit; calls not started yet
    // are dropped, and none of them was reported done.
    ~GameOptionCalls() override;

    void read(const QString &valueName);
    void write(const QString &valueName, bool on);
    // A read or write of this value is under way or waiting.
    bool busy(const QString &valueName) const { return pending.value(valueName) > 0; }

signals:
    // The value as decimal text, or empty when it could not be read.
    void readDone(const QString &valueName, const QString &value);
    void writeDone(const QString &valueName, bool on, bool written);

private:
    void finished(const QString &valueName);
    QObject *started();

    QThread thread;
    QObject *caller = nullptr; // lives on `thread` once the first call has started it
    QHash<QString, int> pending;
};
