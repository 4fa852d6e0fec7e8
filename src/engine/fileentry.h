#pragma once

#include <QFileInfo>
#include <QString>
#include <QtGlobal>

#include <filesystem>

// How the file operations tell what stands at a path.
namespace FileEntry
{

// UTF-16 with native separators on Windows, the local 8-bit encoding elsewhere.
using NativePath = std::filesystem::path::string_type;
NativePath nativePath(const QString &path);

enum class Kind { None, File, Folder, Link, Other };

// One look at the entry itself: a link is a Link, wherever it points and whether or not its
// target is there.
Kind kindOf(const QString &path);

// A real symbolic link (on Windows, not a shortcut file).
inline bool isLink(const QFileInfo &info)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    return info.isSymbolicLink();
#else
    return info.isSymLink();
#endif
}

// Something is there, even if it is a link whose target is gone.
inline bool isTaken(const QFileInfo &info)
{
    return info.exists() || isLink(info);
}

} // namespace FileEntry
