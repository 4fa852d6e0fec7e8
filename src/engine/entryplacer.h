#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "gamenames.h"
#include "mountrecords.h"
#include "mountway.h"
#include "workerparts.h"

#include <QString>

#include <atomic>

class QFileInfo;

// Places one entry at a target by a link, a copy or a move, or makes a folder there for a
// hard-link mount. Whatever stands at the target is set aside under a backup name first; for a
// mount or a repair, every placed entry and every backup is written to the mount's records
// before it is made, and taken back from them when it could not be made.
class EntryPlacer
{
public:
    // `records` only for a mount or a repair, which place links the given way.
    EntryPlacer(WorkerParts::Report report, const std::atomic<bool> &aborted,
                MountRecords *records = nullptr, MountWay way = MountWay::SymbolicLinks);

    enum class LinkLine {
        Write,
        OnRecord, // the symbolic link's path is on record already (a repair places it again)
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
    // Why `source` cannot be placed `mode`'s way; empty when it can.
    static QString unplaceableText(const SourceEntry &source, TransferMode mode);

    // Links `source` at `target`, on record, with what is known to stand at the target (a mount
    // has just looked). A hard link's identity follows its line once it is made. Only with
    // records.
    FileOutcome placeKnown(const SourceEntry &source, const QString &target,
                           FileEntry::Kind targetKind, LinkLine line);
    // Makes a folder at `target` for the mod's folder `source`, on record, for a hard-link
    // mount to place the folder's entries in. Only with records.
    FileOutcome makeFolder(const SourceEntry &source, const QString &target,
                           FileEntry::Kind targetKind);
    // How this placer links: TransferMode::Link or TransferMode::HardLink.
    TransferMode linkMode() const { return linking; }
    // Places first and looks only if that did not work (adding a mod, restoring a backup); puts
    // nothing on record. A copy cut short by an abort leaves nothing and reports nothing.
    FileOutcome placeByTrying(const SourceEntry &source, const QString &target, TransferMode mode);

    // Set when the system refuses links altogether; the rest of the mount is not tried.
    bool linksRefused() const { return refusedLinks; }
    // The backup name of the entry this placer set aside last.
    QString lastSetAside() const { return lastBackup; }
    // The game's names as this placer has seen and changed them.
    GameNames &gameNames() { return names; }

private:
    // Says why a source cannot be placed; `refused` is the result that goes with it.
    bool checkPlaceable(const SourceEntry &source, TransferMode mode);
    static FileOutcome refused(const SourceEntry &source);
    bool setAside(const QString &target, const QString &source, bool recorded, QString *backupPath);
    // The line for a placed entry is on record; reports when it is not.
    bool recordPlaced(MountRecords::PlacedKind kind, const QString &target, const QString &source,
                      const QString &backupPath);
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
    const TransferMode linking;
    bool refusedLinks = false;
    GameNames names;
    QString lastBackup;
};
