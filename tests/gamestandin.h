#pragma once

// A program that runs as the game would, for as long as the stand-in lives: a copy of a program
// that waits for its input to close, started under the game's executable name, or started with
// arguments that name the game.

#include <QProcess>
#include <QString>
#include <QStringList>

class GameStandIn
{
public:
    // Copies the waiting program to `program` (replacing what is there) and runs it from there;
    // with an empty `program` runs it from where it was built. Either way with `arguments`.
    explicit GameStandIn(const QString &program, const QStringList &arguments = QStringList());
    // Closes its input and waits for its end.
    ~GameStandIn();
    GameStandIn(const GameStandIn &) = delete;
    GameStandIn &operator=(const GameStandIn &) = delete;

    bool isRunning() const { return process.state() == QProcess::Running; }

private:
    QProcess process;
};
