#include "fileentry.h"

#include <QDir>

namespace FileEntry
{

namespace
{

// Below this length the plain form works everywhere (the limit of CreateDirectoryW; MAX_PATH is
// 260), and a link keeps the target text the user would expect.
const int longPathFrom = 248;

} // namespace

NativePath nativePath(const QString &path)
{
    QString native = QDir::toNativeSeparators(path);
    // Longer paths need the extended form, which the system takes as it is: so only for
    // absolute paths, cleaned of "." and "..".
    if (native.size() >= longPathFrom && !native.startsWith(QLatin1String("\\\\?\\"))) {
        const QString clean = QDir::toNativeSeparators(QDir::cleanPath(path));
        if (clean.size() > 2 && clean[1] == QLatin1Char(':') && clean[2] == QLatin1Char('\\'))
            native = QStringLiteral("\\\\?\\") + clean;
        else if (clean.startsWith(QLatin1String("\\\\")))
            native = QStringLiteral("\\\\?\\UNC\\") + clean.mid(2);
    }
    return native.toStdWString();
}

bool isNetworkPath(const QString &slashedPath)
{
    return slashedPath.startsWith(QLatin1String("//"));
}

} // namespace FileEntry
