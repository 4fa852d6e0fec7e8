#pragma once

#include "fileoutcome.h"
#include "gamenames.h"
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
// empty). A forced pass drops from the records also what it could not undo.
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
        bool stillToUndo; // the line stays on record for a later unmount
    };
    OutcomeCounts unmountPlacedEntries(const MountRecords::PlacedEntries &placed,
                                       const MountRecords::Lines &backups);
    Handled undoPlaced(const MountRecords::Placed &entry, const QSet<QString> &restorePaths);
    bool isPlacedHardLink(const MountRecords::Placed &entry, const QString &path,
                          const HardLink::Look &look);
    OutcomeCounts restoreBackups(const MountRecords::Lines &backups);
    Handled restoreBackup(const std::string &line, const QSet<QString> &backupPaths);
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
    GameNames modNames; // a placed entry's name has the game's spelling, the mod's file its own
    bool rewritten = true;
    QSet<QString> linksLeft; // our links that the first pass could not remove
};
