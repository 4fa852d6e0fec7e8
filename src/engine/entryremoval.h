#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "workerparts.h"

#include <QSet>
#include <QString>

// Removes files and links, and folders once they are empty, never climbing to or above the
// game folder or the mods folder.
class EntryRemoval
{
public:
    EntryRemoval(const QString &gameFolder, const QString &modsFolder, WorkerParts::Report report);

    // Removes a file or a link (never its target), whose kind was looked at just before.
    FileOutcome removeKnown(const QString &path, FileEntry::Kind kind);
    // Removes one name of a file; the file stays under its other names (the mod's own).
    FileOutcome removeHardLink(const QString &path);
    // Removes a folder a mount made, once it is empty; one that holds anything is kept and
    // said so.
    FileOutcome removeMadeFolder(const QString &path);
    // False when the folder is still there (an entry the listing hides is reported).
    bool removeFolder(const QString &path);
    // Removes `folder` and the folders above it while they are empty: never `stopFolder`, the
    // game folder or the mods folder, and without a `stopFolder` never a mod's own folder.
    void deleteEmptyFolders(const QString &folder, const QString &stopFolder);
    // The same for each folder of a set.
    void pruneFolders(const QSet<QString> &folders, const QString &stopFolder);
    // Inside the mods folder only: makes the entry and the folder holding it writable, so that
    // a read-only mark (Windows) or a folder without write permission (elsewhere) keeps nothing
    // of a mod the user deleted. False for anything outside it, which is never made writable.
    // Of a link only the folder holding it is changed.
    bool makeRemovable(const QString &path) const;
    // The line for a folder that could not be removed, saying whether it still holds anything.
    static QString folderFailureText(const QString &path);

private:
    const QString gameFolder;
    const QString modsFolder;
    WorkerParts::Report report;
};
