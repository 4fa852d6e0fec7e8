#include "gamestandin.h"

#include <QFile>

GameStandIn::GameStandIn(const QString &program, const QStringList &arguments)
{
    QString started = QStringLiteral(RUNEMOUNT_WAITER);
    if (!program.isEmpty()) {
        QFile::remove(program);
        if (!QFile::copy(started, program))
            return;
        started = program;
    }
    process.start(started, arguments);
    process.waitForStarted();
}

GameStandIn::~GameStandIn()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.closeWriteChannel();
    if (!process.waitForFinished())
        process.kill();
    process.waitForFinished();
}
