#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "gamenames.h"
#include "mountrecords.h"
#include "workerparts.h"

#include <QString>

#include <atomic>

class QFileInfo;

// Places one entry at a target by a link, a copy or a move. Whatever stands at the target is
// set aside under a backup name first; for a mount or a repair, every link and every backup is
// written to the mount's records before it is made, and taken back from them when it could not
// be made.
class EntryPlacer
{
public:
    // `records` only for a mount or a repair.
    EntryPlacer(WorkerParts::Report report, const std::atomic<bool> &aborted,
                MountRecords *records = nullptr);

    enum class LinkLine {
        Write,
        OnRecord, // the link's path is on record already (a repair places it again)
    };
    // What stands at a source path, looked at once.
    struct SourceEntry {
        QString path;
        FileEntry::Kind kind;
        bool isFolder; // also a link to a folder
    };
    static SourceEntry sourceFrom(const QFileInfo &info);
    static SourceEntry sourceAt(const QString &path);
    static QString failedText(const QString &source, TransferMode mode);

    // Links `source` at `target`, on record, with what is known to stand at the target (a mount
    // has just looked). Only with records.
    FileOutcome placeKnown(const SourceEntry &source, const QString &target,
                           FileEntry::Kind targetKind, LinkLine line);
    // Places first and looks only if that did not work (adding a mod, restoring a backup); puts
    // nothing on record. A copy cut short by an abort leaves nothing and reports nothing.
    FileOutcome placeByTrying(const SourceEntry &source, const QString &target, TransferMode mode);

    // Set when the system refuses links altogether; the rest of the mount is not tried.
    bool linksRefused() const { return refusedLinks; }
    // The game's names as this placer has seen and changed them.
    GameNames &gameNames() { return names; }

private:
    // Says why a source cannot be placed; `refused` is the result that goes with it.
    bool checkPlaceable(const SourceEntry &source, TransferMode mode);
    static FileOutcome refused(const SourceEntry &source);
    bool setAside(const QString &target, const QString &source, bool recorded, QString *backupPath);
    enum class Transfer { Done, TargetTaken, FolderMissing, Failed, Refused, Aborted };
    Transfer transfer(const SourceEntry &source, const QString &target, TransferMode mode);
    Transfer copyEntry(const QString &source, const QString &target);
    Transfer moveEntry(const SourceEntry &source, const QString &target);
    // A change that could not be written down is not made at all.
    void reportUnrecordable(MountRecords::Record record, const QString &source);
    void undoBackup(const QString &backupPath, const QString &target, bool recorded);

    WorkerParts::Report report;
    const std::atomic<bool> &aborted;
    MountRecords *const records;
    bool refusedLinks = false;
    GameNames names;
};
