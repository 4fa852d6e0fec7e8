#include "entryremoval.h"

#include "entrycalls.h"
#include "hardlink.h"
#include "pathnames.h"
#include "symboliclink.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <utility>

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::nativePath;
using PathNames::samePath;

EntryRemoval::EntryRemoval(const QString &game, const QString &mods, Report reportTo)
    : gameFolder(game), modsFolder(mods), report(std::move(reportTo))
{
}

FileOutcome EntryRemoval::removeKnown(const QString &path, Kind kind)
{
    if (kind == Kind::None) {
        report(QStringLiteral("Missing file: ") + path, true);
        return Missing;
    }
    bool removed = false;
    if (kind == Kind::Link) // the link, never its target
        removed = SymbolicLink::remove(nativePath(path)) ||
                  (makeRemovable(path) && SymbolicLink::remove(nativePath(path)));
    else if (kind == Kind::File)
        removed = QFile::remove(path) || (makeRemovable(path) && QFile::remove(path));
    if (!removed) {
        report(QStringLiteral("Failed to delete file: ") + path, true);
        return Failed;
    }
    return Done;
}

FileOutcome EntryRemoval::removeHardLink(const QString &path)
{
    if (HardLink::remove(nativePath(path)))
        return Done;
    report(QStringLiteral("Failed to delete file: ") + path, true);
    return Failed;
}

FileOutcome EntryRemoval::removeMadeFolder(const QString &path)
{
    switch (EntryCalls::removeFolder(nativePath(path))) {
    case EntryCalls::RemoveFolder::Done:
        return Done;
    case EntryCalls::RemoveFolder::NotEmpty:
        report(QStringLiteral("Kept a folder that holds other entries: ") + path, true);
        return Kept;
    case EntryCalls::RemoveFolder::NotFound:
        report(QStringLiteral("Missing file: ") + path, true);
        return Missing;
    case EntryCalls::RemoveFolder::Failed:
        break;
    }
    report(QStringLiteral("Failed to delete empty folder: ") + path, true);
    return Failed;
}

void EntryRemoval::deleteEmptyFolders(const QString &folder, const QString &stopFolder)
{
    QString current = folder;
    for (;;) {
        const QString path = QDir(current).absolutePath();
        const QString parent = folderOf(path);
        if (samePath(path, stopFolder) || samePath(path, modsFolder) ||
            samePath(path, gameFolder) || (stopFolder.isEmpty() && samePath(parent, modsFolder)) ||
            parent == path)
            return;
        if (!removeFolder(path))
            return;
        current = parent;
    }
}

bool EntryRemoval::makeRemovable(const QString &path) const
{
    if (!PathNames::isInside(path, modsFolder) || samePath(path, modsFolder))
        return false;
    const auto addWrite = [](const QString &entry) {
        QFile::setPermissions(entry,
                              QFile::permissions(entry) | QFile::WriteOwner | QFile::WriteUser);
    };
    // A link's permissions are its target's, which may lie anywhere: only its folder changes.
    if (FileEntry::kindOf(path) != Kind::Link)
        addWrite(path);
    const QString folder = folderOf(path);
    if (!samePath(folder, modsFolder))
        addWrite(folder);
    return true;
}

bool EntryRemoval::removeFolder(const QString &path)
{
    // Tried straight away: a folder that still holds something is simply not removed.
    EntryCalls::RemoveFolder removal = EntryCalls::removeFolder(nativePath(path));
    if (removal == EntryCalls::RemoveFolder::Failed && makeRemovable(path))
        removal = EntryCalls::removeFolder(nativePath(path));
    switch (removal) {
    case EntryCalls::RemoveFolder::Done:
        return true;
    case EntryCalls::RemoveFolder::NotFound:
        return false;
    case EntryCalls::RemoveFolder::NotEmpty:
        // Only hidden entries keep it: then it counts as empty, and as not removed. A link
        // whose target is gone is content, though the plain listing misses it.
        if (!QDir(path).isEmpty(allEntries | QDir::System))
            return false;
        break;
    case EntryCalls::RemoveFolder::Failed:
        report(folderFailureText(path), true);
        return false;
    }
    report(QStringLiteral("Failed to delete empty folder: ") + path, true);
    return false;
}

QString EntryRemoval::folderFailureText(const QString &path)
{
    // One that still holds anything is not called empty: its entries' own lines say why.
    const bool empty = QDir(path).isEmpty(everyEntry);
    return (empty ? QStringLiteral("Failed to delete empty folder: ")
                  : QStringLiteral("Failed to delete folder: ")) +
           path;
}

void EntryRemoval::pruneFolders(const QSet<QString> &folders, const QString &stopFolder)
{
    // Deepest first, so that a folder's subfolders are gone before it is looked at. Pruning
    // once at the end instead of after every entry saves listing a folder per file.
    QStringList ordered;
    for (const QString &folder : folders)
        ordered << folder;
    std::sort(ordered.begin(), ordered.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &folder : ordered)
        deleteEmptyFolders(folder, stopFolder); // one taken with a subfolder is simply gone
}
