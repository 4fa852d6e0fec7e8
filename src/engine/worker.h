#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "gamenames.h"
#include "recordfile.h"
#include "unmountjournal.h"
#include "workerpaths.h"

#include <QDir>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class QFileInfo;
class RecordedPathCheck;

// Does all file work of the program: mounting, unmounting, measuring, deleting and adding
// mods. Lives on a thread of its own; one Worker serves one operation (an unmount may be run a
// second time, forced). Reports by signals only.
class Worker : public QObject
{
    Q_OBJECT

public:
    Worker(const WorkerPaths &paths, QString mod);
    ~Worker() override;

    // Set by the controlling thread at any time; polled between entries. Never reset.
    std::atomic<bool> aborted{false};

public slots:
    void scanModWorker(int row);
    void mountModWorker();
    void unmountModWorker(bool force = false);
    void deleteModWorker();
    void moveFolderWorker(const QString &source, const QString &target, TransferMode mode);
    // Compares the game folder with the mount's records and the mod; changes nothing.
    void checkModWorker();
    // Makes the game folder what a fresh mount of the mod would make it, records kept exact.
    void repairModWorker();
    // Adds the mod from an archive: `target` in the mods folder appears only once it is whole.
    void extractArchiveWorker(const QString &archivePath, const QString &target);

signals:
    void scanModUpdate(int row, const QString &sizeText, const QString &filesText);
    void resultReady(const QString &modName, int done, int failed, int missing, bool aborted,
                     bool forced = false);
    void status(const QString &text, bool error = false);
    void appendAction(const QString &text);
    // How far an add or delete has come, in bytes of the total its walk (or the archive's size)
    // gave at the start.
    void amountDone(int files, qint64 bytesDone, qint64 bytesTotal);

public:
    OutcomeCounts mountFolder(const QString &folder, const QString &gameFolder);
    void deleteEmptyFolders(const QString &folder, const QString &stopFolder);

private:
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
    // Says why a source cannot be placed; `refused` is the result that goes with it.
    bool checkPlaceable(const SourceEntry &source, TransferMode mode);
    static FileOutcome refused(const SourceEntry &source);
    // Places with what is known to stand at the target (a mount has just looked).
    FileOutcome placeKnown(const SourceEntry &source, const QString &target,
                           FileEntry::Kind targetKind, TransferMode mode, const Placement &how);
    // Places first and looks only if that did not work (adding a mod, restoring a backup).
    FileOutcome placeByTrying(const SourceEntry &source, const QString &target, TransferMode mode,
                              const Placement &how);
    bool setAside(const QString &target, const QString &source, const Placement &how,
                  QString *backupPath);
    enum class Transfer { Done, TargetTaken, FolderMissing, Failed, Refused };
    Transfer transfer(const SourceEntry &source, const QString &target, TransferMode mode);
    static Transfer copyEntry(const QString &source, const QString &target);
    static Transfer moveEntry(const SourceEntry &source, const QString &target);
    // A change that could not be written down is not made at all.
    void reportUnrecordable(const RecordFile &record, const QString &source);
    void undoBackup(const QString &backupPath, const QString &target, bool recorded);
    FileOutcome removeKnown(const QString &path, FileEntry::Kind kind);
    // False when the folder is still there (an entry the listing hides is reported).
    bool removeFolder(const QString &path);
    // Each unmount pass works through one record; it is current again once the pass has
    // rewritten it (`rewritten` false when that failed).
    struct Pass {
        bool force;
        RecordedPathCheck &check;
        UnmountJournal &journal;
        bool rewritten = true;
        QSet<QString> linksLeft; // our links that the first pass could not remove
    };
    struct Record {
        QString path;
        bool readable = false; // a file that is there and could be read: it is worked through
        std::vector<std::string> lines; // without the empty ones
    };
    static Record readRecord(const QString &path);
    OutcomeCounts unmountPlacedEntries(Pass &pass, const Record &placed, const Record &backups);
    OutcomeCounts restoreBackups(Pass &pass, const Record &backups);
    struct Handled {
        FileOutcome outcome;
        bool stillToUndo; // the line stays on record for a later unmount
    };
    enum class RecordOrder { Forward, Backward };
    // Works through one record file; keeps the lines of entries that are still to be undone.
    OutcomeCounts workThroughRecord(const Record &record, Pass &pass, UnmountJournal::Step step,
                                    RecordOrder order,
                                    const std::function<Handled(const std::string &)> &handle);
    void reportUntrusted(const QString &line);
    void pruneFolders(const QSet<QString> &folders, const QString &stopFolder);
    // The bytes of the files below a folder, for the progress of an add or a delete.
    qint64 bytesBelow(const QString &folder, QDir::Filters filters);
    QString modFolder() const;
    OutcomeCounts repairRecordedLinks();
    OutcomeCounts addFromArchive(const QString &archivePath, const QString &target);
    // Puts back the game's entry that a link of a mod entry now gone had set aside; true when
    // it went back.
    bool restoreSetAside(const QString &path, const QString &backupPath);
    bool dropRecordLines(const QString &path, RecordFile &stream, const QSet<QString> &dropped);

    const WorkerPaths paths;
    QString modName;
    RecordFile outFilesStream;
    RecordFile backupFilesStream;
    // Set when the system refuses links altogether; the rest of the mount is not tried.
    bool linksRefused = false;
    // Link paths already on record (case-folded), which a repair's walk of the mod passes by.
    QSet<QString> alreadyPlaced;
    // Link paths placed by this run (case-folded): a second entry of the mod that the game sees
    // under the same name is not placed.
    QSet<QString> placedNow;
    GameNames gameNames;
};
