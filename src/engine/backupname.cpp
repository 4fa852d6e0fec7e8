#include "backupname.h"

#include <QFileInfo>

namespace BackupName
{

const QString suffix = QStringLiteral(".oxdbackup");

namespace
{

bool isTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString forTarget(const QString &target)
{
    const QString base = target + suffix;
    QString candidate = base;
    for (int n = 2; isTaken(candidate); ++n)
        candidate = base + QString::number(n);
    return candidate;
}

QString restorePath(const QString &backupPath)
{
    const int at = backupPath.lastIndexOf(suffix);
    return at < 0 ? QString() : backupPath.left(at);
}

} // namespace BackupName
