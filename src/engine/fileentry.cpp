#include "fileentry.h"

#include <QDir>
#include <QFile>

#include <system_error>

namespace FileEntry
{

NativePath nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toStdWString();
#else
    const QByteArray encoded = QFile::encodeName(path);
    return NativePath(encoded.constData(), size_t(encoded.size()));
#endif
}

Kind kindOf(const QString &path)
{
    if (path.isEmpty())
        return Kind::None;
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::symlink_status(std::filesystem::path(nativePath(path)), error);
    switch (status.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::none:
        return Kind::None;
    case std::filesystem::file_type::regular:
        return Kind::File;
    case std::filesystem::file_type::directory:
        return Kind::Folder;
    case std::filesystem::file_type::symlink:
        return Kind::Link;
    default:
        return Kind::Other; // also a Windows junction: a redirect as good as a link
    }
}

} // namespace FileEntry
