#include "fileentry.h"

#include <QDir>

namespace FileEntry
{

const Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;

NativePath nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool isNetworkPath(const QString &slashedPath)
{
    return slashedPath.startsWith(QLatin1String("//"));
}

} // namespace FileEntry
