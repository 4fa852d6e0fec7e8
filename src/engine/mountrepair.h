#pragma once

#include "fileoutcome.h"
#include "mountrecords.h"
#include "workerparts.h"

#include <QSet>
#include <QString>

#include <atomic>

class EntryPlacer;
class EntryRemoval;
class ModMount;

// Makes the game folder what a fresh mount of the mod would make it, with every change on
// record before it is made, as in the mount: recorded links that went missing or were replaced
// are placed again, links of mod entries now gone are removed with their lines (and the game's
// entry they had set aside put back), and what the mod holds that is not placed yet is mounted.
class MountRepair
{
public:
    // `placer` and `mount` write to `records`.
    MountRepair(const QString &gameFolder, const QString &modFolder, MountRecords &records,
                EntryPlacer &placer, EntryRemoval &removal, ModMount &mount,
                WorkerParts::Report report, const std::atomic<bool> &aborted);

    OutcomeCounts run();

private:
    OutcomeCounts repairRecordedLinks();
    // Puts back the game's entry that a link of a mod entry now gone had set aside; true when
    // it went back.
    bool restoreSetAside(const QString &path, const QString &backupPath);
    bool dropFromRecord(MountRecords::Record record, const QSet<QString> &dropped);

    const QString gameFolder;
    const QString modFolder;
    MountRecords &records;
    EntryPlacer &placer;
    EntryRemoval &removal;
    ModMount &mount;
    WorkerParts::Report report;
    const std::atomic<bool> &aborted;
};
