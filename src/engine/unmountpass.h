#pragma once

#include "fileoutcome.h"
#include "mountrecords.h"
#include "recordedpathcheck.h"
#include "unmountjournal.h"
#include "workerparts.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <string>

class EntryPlacer;
class EntryRemoval;
struct WorkerPaths;

// One unmount: the placed links removed and the backups put back, from the records, with a
// journal that lets a later unmount finish one cut short. A forced pass drops from the records
// also what it could not undo.
class UnmountPass
{
public:
    // Announces the second pass (the backups), and its end with an empty text.
    using Announce = std::function<void(const QString &text)>;

    UnmountPass(const WorkerPaths &paths, bool force, MountRecords &records, EntryPlacer &placer,
                EntryRemoval &removal, WorkerParts::Report report, Announce announce,
                const std::atomic<bool> &aborted);

    UnmountPass(const UnmountPass &) = delete;
    UnmountPass &operator=(const UnmountPass &) = delete;

    OutcomeCounts run();

private:
    struct Handled {
        FileOutcome outcome;
        bool stillToUndo; // the line stays on record for a later unmount
    };
    enum class RecordOrder { Forward, Backward };
    OutcomeCounts unmountPlacedEntries(const MountRecords::Lines &placed,
                                       const MountRecords::Lines &backups);
    OutcomeCounts restoreBackups(const MountRecords::Lines &backups);
    // Works through one record; keeps the paths of entries that are still to be undone. The
    // record is current again once this has rewritten it (`rewritten` false when that failed).
    OutcomeCounts workThroughRecord(MountRecords::Record record, const MountRecords::Lines &lines,
                                    UnmountJournal::Step step, RecordOrder order,
                                    const std::function<Handled(const std::string &)> &handle);

    MountRecords &records;
    const bool force;
    EntryPlacer &placer;
    EntryRemoval &removal;
    WorkerParts::Report report;
    Announce announce;
    const std::atomic<bool> &aborted;
    RecordedPathCheck check;
    UnmountJournal journal;
    bool rewritten = true;
    QSet<QString> linksLeft; // our links that the first pass could not remove
};
