// Off Windows: the processes are read from /proc, the game's by its command line, where Wine
// shows the Windows path of the program it runs.
#include "gameprocess.h"

#include "wineprefix.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace
{

QByteArray procFile(const QString &pid, const char *name)
{
    QFile file(QStringLiteral("/proc/") + pid + QLatin1Char('/') + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The prefixes a Windows path of this process may be in: its own, the game folder's and the
// one Wine uses when told of none.
QStringList prefixesOf(const QString &pid, const QString &gameFolder)
{
    QStringList prefixes;
    for (const QByteArray &variable : procFile(pid, "environ").split('\0'))
        if (variable.startsWith("WINEPREFIX="))
            prefixes << QFile::decodeName(variable.mid(int(sizeof "WINEPREFIX=") - 1));
    prefixes << WinePrefix::containing(gameFolder) << WinePrefix::standard();
    prefixes.removeAll(QString());
    prefixes.removeDuplicates();
    return prefixes;
}

bool namesGame(const QString &pid, const QString &argument, const QString &gameFolder)
{
    static const QRegularExpression windowsPath(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (windowsPath.match(argument).hasMatch()) {
        for (const QString &prefix : prefixesOf(pid, gameFolder))
            if (GameProcess::isGameExecutable(WinePrefix(prefix).toLocalPath(argument), gameFolder))
                return true;
        return false;
    }
    if (QDir::isAbsolutePath(argument))
        return GameProcess::isGameExecutable(argument, gameFolder);
    // Relative to the folder the process runs in.
    const QString cwd =
        QFileInfo(QStringLiteral("/proc/") + pid + QStringLiteral("/cwd")).symLinkTarget();
    return !cwd.isEmpty() &&
           GameProcess::isGameExecutable(cwd + QLatin1Char('/') + argument, gameFolder);
}

} // namespace

namespace GameProcess
{

bool runsFrom(const QString &gameFolder)
{
    const qint64 self = QCoreApplication::applicationPid();
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        processes.next();
        const QString pid = processes.fileName();
        bool isNumber = false;
        if (pid.toLongLong(&isNumber) == self || !isNumber)
            continue;
        for (const QByteArray &word : procFile(pid, "cmdline").split('\0')) {
            const QString argument = QFile::decodeName(word);
            // Only a name of the game's programs is looked at further.
            const int nameStart = std::max(argument.lastIndexOf(QLatin1Char('/')),
                                           argument.lastIndexOf(QLatin1Char('\\'))) +
                                  1;
            if (isExecutableName(argument.mid(nameStart)) && namesGame(pid, argument, gameFolder))
                return true;
        }
    }
    return false;
}

} // namespace GameProcess
