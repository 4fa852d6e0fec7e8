#pragma once

// What the Worker's parts (mount, unmount, scan and adds, repair) share: how they report,
// listing filters, and small steps on paths.

#include "entrycalls.h"
#include "fileentry.h"
#include "utf8.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace WorkerParts
{

// How a part reports, as the Worker's status signal does: the entry being worked on (error
// false) and each failure (error true).
using Report = std::function<void(const QString &text, bool error)>;

const QDir::Filters allEntries = QDir::AllEntries | QDir::NoDotAndDotDot;
const QDir::Filters filesOnly = QDir::Files | QDir::NoDotAndDotDot;
// Hidden entries too, and system ones: a link whose target is gone is listed only with them.
const QDir::Filters everyEntry = allEntries | QDir::System | QDir::Hidden;

// Renames a file, a folder or a link itself (also a link whose target is gone), and never
// replaces an entry at `to`.
inline bool renameEntry(const QString &from, const QString &to)
{
    return !from.isEmpty() && !to.isEmpty() &&
           EntryCalls::renameWithoutReplacing(
               FileEntry::nativePath(from), FileEntry::nativePath(to)) == EntryCalls::Rename::Done;
}

inline QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

inline QString relativeTo(const QString &path, const QString &rootWithSlash)
{
    // Only the leading root goes: a path may hold the same text again further down.
    return path.startsWith(rootWithSlash) ? path.mid(rootWithSlash.size()) : path;
}

inline QSet<QString> asPaths(const std::vector<std::string> &lines)
{
    QSet<QString> paths;
    paths.reserve(int(lines.size()));
    for (const std::string &line : lines)
        paths.insert(fromUtf8(line));
    return paths;
}

// A record line that no mount of this program can have written: it is never acted on.
inline QString untrustedText(const QString &line)
{
    return QStringLiteral("Not a recorded path inside the game folder: ") + line;
}

} // namespace WorkerParts
