#pragma once

#include "entryplacer.h"
#include "fileoutcome.h"
#include "mountrecords.h"
#include "ownfolders.h"
#include "workerparts.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <string>
#include <unordered_set>

class EntryRemoval;
class ModMount;

// Makes the game folder what a fresh mount of the mod would make it, with every change on
// record before it is made, as in the mount: recorded entries that went missing or were replaced
// are placed again, entries of mod entries now gone are removed with their lines (and the game's
// entry they had set aside put back), and what the mod holds that is not placed yet is mounted.
class MountRepair
{
public:
    // `placer` and `mount` write to `records`; no recorded line in `ownFolders` is acted on.
    MountRepair(const QString &gameFolder, const QString &modFolder, OwnFolders ownFolders,
                MountRecords &records, EntryPlacer &placer, EntryRemoval &removal, ModMount &mount,
                WorkerParts::Report report, const std::atomic<bool> &aborted);

    OutcomeCounts run();

private:
    OutcomeCounts repairRecordedEntries();
    // Counts the entry, and the game's entry it set aside, if any.
    void placeAgain(const MountRecords::Placed &entry, const EntryPlacer::SourceEntry &source,
                    const QString &path, OutcomeCounts &counts);
    // The entry of a mod entry now gone goes if it is still ours, then its line, and the game's
    // entry it had set aside comes back. False when it could not be removed.
    bool drop(const MountRecords::Placed &entry, bool ours, const QString &path);
    // Puts back the game's entry that an entry of a mod entry now gone had set aside; true when
    // it went back.
    bool restoreSetAside(const QString &path, const QString &backupPath);
    bool dropFromRecords();

    const QString gameFolder;
    const QString modFolder;
    const OwnFolders own;
    MountRecords &records;
    EntryPlacer &placer;
    EntryRemoval &removal;
    ModMount &mount;
    WorkerParts::Report report;
    const std::atomic<bool> &aborted;
    // The entry each path had before the mount, where the mount set one aside.
    QHash<QString, QString> setAsideFrom;
    std::unordered_set<std::string> droppedEntries;
    std::unordered_set<std::string> droppedBackups;
};
