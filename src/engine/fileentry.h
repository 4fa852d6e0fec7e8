#pragma once

#include <QFileInfo>
#include <QtGlobal>

// How the file operations tell what stands at a path.
namespace FileEntry
{

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
