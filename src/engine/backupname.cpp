#include "backupname.h"

#include "fileentry.h"

namespace BackupName
{

const QString suffix = QStringLiteral(".oxdbackup");

QString forTarget(const QString &target,
                  const std::function<bool(const QString &folder, const QString &name)> &taken)
{
    const int slash = target.lastIndexOf(QLatin1Char('/'));
    const QString folder = target.left(slash);
    const QString base = target.mid(slash + 1) + suffix;
    auto inUse = [&](const QString &name) {
        return taken ? taken(folder, name)
                     : FileEntry::kindOf(folder + QLatin1Char('/') + name) != FileEntry::Kind::None;
    };
    QString candidate = base;
    for (int n = 2; inUse(candidate); ++n)
        candidate = base + QString::number(n);
    return folder + QLatin1Char('/') + candidate;
}

QString restorePath(const QString &backupPath)
{
    const int at = backupPath.lastIndexOf(suffix);
    return at < 0 ? QString() : backupPath.left(at);
}

} // namespace BackupName
