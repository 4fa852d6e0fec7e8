#pragma once

#include "fileoutcome.h"
#include "gamenames.h"
#include "modwalk.h"
#include "mountrecords.h"
#include "workerparts.h"

#include <QString>

#include <atomic>

class RecordedPathCheck;

// Compares the game folder with the records of the mounted mod and with the mod itself, and
// changes nothing: each placed entry should still stand for the mod's entry at its path (a link
// to it, a hard link of it, a folder), each backup should still be there, and every entry of
// the mod should be placed.
class MountCheck : private ModWalk::Visitor
{
public:
    MountCheck(QString gameFolder, QString modFolder, const OwnFolders &ownFolders,
               WorkerParts::Report report, const std::atomic<bool> &aborted);

    OutcomeCounts run(const MountRecords &records);

private:
    FileOutcome checkPlaced(RecordedPathCheck &trusted, const MountRecords::Placed &entry);
    FileOutcome checkBackup(RecordedPathCheck &trusted, const QString &path);
    // The walk of the mod meets only entries a mount would place and the records do not list.
    void reached(const ModWalk::Entry &) override {}
    FileOutcome place(const ModWalk::Entry &entry, FileEntry::Kind targetKind) override;
    void refuse(const ModWalk::Entry &entry, ModWalk::Refusal why) override;

    const QString gameFolder;
    const QString modFolder;
    const OwnFolders own;
    WorkerParts::Report report;
    const std::atomic<bool> &aborted;
    GameNames names;    // of the game's folders
    GameNames modNames; // of the mod's: a link's name has the game's spelling
    ModWalk walk;
};
