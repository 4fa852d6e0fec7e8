#pragma once

#include "fileoutcome.h"
#include "gamenames.h"
#include "keptbackups.h"
#include "mountrecords.h"
#include "recordedpathcheck.h"
#include "unmountjournal.h"
#include "workerparts.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class EntryPlacer;
class EntryRemoval;
struct WorkerPaths;

// One unmount: the placed entries removed and the backups put back, from the records, with a
// journal that lets a later unmount finish one cut short. Each entry goes only while it is still
// what the mount placed: a symbolic link, the same file as the hard link placed, a folder (once
// empty). What the game or the user put in its place since is theirs: it stays, as does the
// earlier entry a newer one keeps from going back, and neither keeps the mount in place; such an
// earlier entry is listed among the kept backups. A forced pass drops from the records also what
// it could not undo.
class UnmountPass
{
public:
    // Announces the second pass (the backups), and its end with an empty text.
    using Announce = std::function<void(const QString &text)>;

    // `modFolder` is the mounted mod's, for hard links whose identity is not on record.
    UnmountPass(const WorkerPaths &paths, const QString &modFolder, bool force,
                MountRecords &records, EntryPlacer &placer, EntryRemoval &removal,
                WorkerParts::Report report, Announce announce, const std::atomic<bool> &aborted);

    UnmountPass(const UnmountPass &) = delete;
    UnmountPass &operator=(const UnmountPass &) = delete;

    OutcomeCounts run();

private:
    struct Handled {
        FileOutcome outcome;
        bool stillToUndo;    // the line stays on record for a later unmount
        bool counted = true; // false when another line tells the same path's story
    };
    OutcomeCounts unmountPlacedEntries(const MountRecords::PlacedEntries &placed,
                                       const MountRecords::Lines &backups);
    Handled undoPlaced(const MountRecords::Placed &entry, const QSet<QString> &restorePaths);
    // What took the place of an entry the mount placed stays.
    Handled leaveNewer(const QString &path, const QSet<QString> &restorePaths);
    bool isPlacedHardLink(const MountRecords::Placed &entry, const QString &path,
                          const HardLink::Look &look);
    OutcomeCounts restoreBackups(const MountRecords::Lines &backups);
    Handled restoreBackup(const std::string &line, const QSet<QString> &backupPaths);
    // A backup that stays in the game folder without a line in the records is listed as kept.
    Handled keepListed(const QString &backupPath);
    // Visits the record's entries in `order`, each noted in the journal before it is handled.
    // Gives for each entry whether the record keeps it: one still to be undone, or not visited
    // (after an abort).
    std::vector<bool> workThrough(const std::vector<const std::string *> &paths,
                                  const std::vector<size_t> &order, UnmountJournal::Step step,
                                  const std::function<Handled(size_t)> &handle,
                                  OutcomeCounts &counts);
    // The record is current again once this has rewritten it (`rewritten` false when that
    // failed).
    void noteRewritten(bool written, MountRecords::Record record, OutcomeCounts &counts);

    const QString gameFolder;
    const QString modFolder;
    MountRecords &records;
    const bool force;
    EntryPlacer &placer;
    EntryRemoval &removal;
    WorkerParts::Report report;
    Announce announce;
    const std::atomic<bool> &aborted;
    RecordedPathCheck check;
    UnmountJournal journal;
    KeptBackups keptBackups;
    GameNames modNames; // a placed entry's name has the game's spelling, the mod's file its own
    bool rewritten = true;
    QSet<QString> linksLeft; // our links that the first pass could not remove
};
