#include "wineprefix.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace
{

bool holdsRegistry(const QString &folder)
{
    return QFileInfo(WinePrefix(folder).systemRegistry()).isFile();
}

// The entry of `folder` named `name` without regard to case, as Windows would find it.
QString entryIgnoringCase(const QDir &folder, const QString &name)
{
    if (folder.exists(name))
        return name;
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return name;
}

// A wineserver listening on `socketPath`; a socket left by one that was killed refuses.
bool answers(const QByteArray &socketPath)
{
    sockaddr_un address{};
    if (socketPath.size() >= int(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

QString WinePrefix::containing(const QString &path)
{
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!folder.isEmpty() && folder != QLatin1String("/")) {
        const QFileInfo info(folder);
        const QString parent = info.path();
        if (info.fileName() == QLatin1String("drive_c") && holdsRegistry(parent))
            return parent;
        if (parent == folder)
            break;
        folder = parent;
    }
    return QString();
}

QString WinePrefix::standard()
{
    const QString folder = QDir::homePath() + QStringLiteral("/.wine");
    return holdsRegistry(folder) ? folder : QString();
}

QString WinePrefix::toLocalPath(const QString &windowsPath) const
{
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.size() < 2 || path[1] != QLatin1Char(':') || !path[0].isLetter())
        return QString();
    const QDir drives(root + QStringLiteral("/dosdevices"));
    const QString drive = entryIgnoringCase(drives, path.left(2).toLower());
    const QFileInfo link(drives.filePath(drive));
    if (!link.exists())
        return QString();
    QString local = QDir::cleanPath(link.isSymLink() ? link.symLinkTarget() : link.filePath());
    const QStringList parts = path.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString found = entryIgnoringCase(QDir(local), part);
        local = local == QLatin1String("/") ? local + found : local + QLatin1Char('/') + found;
    }
    return local;
}

bool WinePrefix::serverRunning() const
{
    struct stat info;
    if (::stat(QFile::encodeName(root).constData(), &info) != 0)
        return false;
    // The server's socket is named for the prefix folder's device and inode, in a folder of
    // the user's below /tmp (Debian's Wine makes that folder's name unique).
    const QString server = QStringLiteral("server-%1-%2")
                               .arg(qulonglong(info.st_dev), 0, 16)
                               .arg(qulonglong(info.st_ino), 0, 16);
    QStringList candidates{QStringLiteral("/tmp/.wine-%1").arg(::getuid())};
    const QDir temp(QStringLiteral("/tmp"));
    for (const QString &name : temp.entryList({QStringLiteral("wine-*")}, QDir::Dirs))
        candidates << temp.filePath(name);
    for (const QString &candidate : qAsConst(candidates)) {
        const QString socket = candidate + QLatin1Char('/') + server + QStringLiteral("/socket");
        if (QFileInfo::exists(socket) && answers(QFile::encodeName(socket)))
            return true;
    }
    return false;
}

QString WinePrefix::wineProgram()
{
    for (const QString &name : {QStringLiteral("wine"), QStringLiteral("wine64")}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    const QString debians = QStringLiteral("/usr/lib/wine/wine64");
    return QFileInfo(debians).isExecutable() ? debians : QString();
}

QProcessEnvironment WinePrefix::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), root);
    return environment;
}
