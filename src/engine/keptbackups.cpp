#include "keptbackups.h"

#include <QFile>

KeptBackups::KeptBackups(const QString &path) : filePath(path) {}

bool KeptBackups::append(const QString &backupPath)
{
    QFile list(filePath);
    if (!list.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    const qint64 start = list.size();
    QByteArray line = backupPath.toUtf8() + '\n';
    // The user may have edited the list: a last line without its end is not joined.
    if (start > 0 && list.seek(start - 1) && list.read(1) != "\n")
        line.prepend('\n');
    if (list.write(line) == line.size() && list.flush())
        return true;
    list.resize(start);
    return false;
}

QString KeptBackups::writeFailure() const
{
    return QStringLiteral("Failed to write record file: ") + filePath;
}
