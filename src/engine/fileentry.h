#pragma once

#include "entrycalls.h"

#include <QFileInfo>
#include <QString>
#include <QtGlobal>

// How the file operations tell what stands at a path.
namespace FileEntry
{

// UTF-16 with native separators on Windows, the local 8-bit encoding elsewhere.
using NativePath = EntryCalls::NativePath;
NativePath nativePath(const QString &path);

using Kind = EntryCalls::Kind;

// A Windows network path ("//server/share") begins with two slashes that belong together.
bool isNetworkPath(const QString &slashedPath);

// One look at the entry itself: a link is a Link, wherever it points and whether or not its
// target is there.
inline Kind kindOf(const QString &path)
{
    return EntryCalls::kindOf(nativePath(path));
}

// A real symbolic link (on Windows, not a shortcut file).
inline bool isLink(const QFileInfo &info)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    return info.isSymbolicLink();
#else
    return info.isSymLink();
#endif
}

} // namespace FileEntry
