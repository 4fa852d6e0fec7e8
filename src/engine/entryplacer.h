#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "gamenames.h"
#include "recordfile.h"
#include "workerparts.h"

#include <QString>

class QFileInfo;

// Places one entry at a target by a link, a copy or a move. Whatever stands at the target is
// set aside under a backup name first; for a mount, every link and every backup is written to
// its record before it is made, and taken back from it when it could not be made.
class EntryPlacer
{
public:
    EntryPlacer(const QString &outFilesPath, const QString &backupFilesPath,
                WorkerParts::Report report);

    struct Placement {
        bool record = false;       // write-ahead records of a mount
        bool lineOnRecord = false; // the link's line is in out_files.txt already (a repair)
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

    // Places with what is known to stand at the target (a mount has just looked).
    FileOutcome placeKnown(const SourceEntry &source, const QString &target,
                           FileEntry::Kind targetKind, TransferMode mode, const Placement &how);
    // Places first and looks only if that did not work (adding a mod, restoring a backup).
    FileOutcome placeByTrying(const SourceEntry &source, const QString &target, TransferMode mode,
                              const Placement &how);

    // Set when the system refuses links altogether; the rest of the mount is not tried.
    bool linksRefused() const { return refusedLinks; }
    // The game's names as this placer has seen and changed them.
    GameNames &gameNames() { return names; }
    RecordFile &placedRecord() { return outFilesStream; }
    RecordFile &backupRecord() { return backupFilesStream; }
    void closeRecords();

private:
    // Says why a source cannot be placed; `refused` is the result that goes with it.
    bool checkPlaceable(const SourceEntry &source, TransferMode mode);
    static FileOutcome refused(const SourceEntry &source);
    bool setAside(const QString &target, const QString &source, const Placement &how,
                  QString *backupPath);
    enum class Transfer { Done, TargetTaken, FolderMissing, Failed, Refused };
    Transfer transfer(const SourceEntry &source, const QString &target, TransferMode mode);
    static Transfer copyEntry(const QString &source, const QString &target);
    static Transfer moveEntry(const SourceEntry &source, const QString &target);
    // A change that could not be written down is not made at all.
    void reportUnrecordable(const RecordFile &record, const QString &source);
    void undoBackup(const QString &backupPath, const QString &target, bool recorded);

    WorkerParts::Report report;
    RecordFile outFilesStream;
    RecordFile backupFilesStream;
    bool refusedLinks = false;
    GameNames names;
};
