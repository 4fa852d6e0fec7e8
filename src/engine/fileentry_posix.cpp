#include "fileentry.h"

#include <QFile>
#include <QTextCodec>

namespace
{

// The MIBenum IANA gives UTF-8.
const int utf8Mib = 106;

} // namespace

namespace FileEntry
{

NativePath nativePath(const QString &path)
{
    // The file names' encoding is the locale's, nearly always UTF-8, whose own conversion is
    // many times cheaper than the general one; a mount converts every path it meets.
    static const bool localeIsUtf8 = QTextCodec::codecForLocale()->mibEnum() == utf8Mib;
    const QByteArray encoded = localeIsUtf8 ? path.toUtf8() : QFile::encodeName(path);
    return NativePath(encoded.constData(), size_t(encoded.size()));
}

bool isNetworkPath(const QString &)
{
    return false;
}

} // namespace FileEntry
