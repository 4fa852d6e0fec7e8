#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace TestSupport
{

namespace
{

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size() && file.flush();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QStringList entryNames(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

int liveThreadCount()
{
    return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

Immutable::Immutable(const QString &entry) : path(entry)
{
    applied = run("chattr", {"+i", path});
}

Immutable::~Immutable()
{
    if (applied)
        run("chattr", {"-i", path});
}

TinyDisk::TinyDisk(const QString &mountPoint, int kilobytes, int inodes) : folder(mountPoint)
{
    QString options = QString("size=%1k").arg(kilobytes);
    if (inodes > 0)
        options += QString(",nr_inodes=%1").arg(inodes);
    mounted =
        QDir().mkpath(folder) && run("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder});
}

TinyDisk::~TinyDisk()
{
    if (mounted)
        run("umount", {folder});
}

} // namespace TestSupport
