#include "backupname.h"

#include "fileentry.h"

namespace BackupName
{

const QString suffix = QStringLiteral(".oxdbackup");

QString forTarget(const QString &target)
{
    const QString base = target + suffix;
    QString candidate = base;
    for (int n = 2; FileEntry::kindOf(candidate) != FileEntry::Kind::None; ++n)
        candidate = base + QString::number(n);
    return candidate;
}

QString restorePath(const QString &backupPath)
{
    const int at = backupPath.lastIndexOf(suffix);
    return at < 0 ? QString() : backupPath.left(at);
}

} // namespace BackupName
