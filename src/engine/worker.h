#pragma once

#include "fileoutcome.h"
#include "recordfile.h"
#include "unmountjournal.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <string>

class ConfigStore;
class QFileInfo;
class RecordedPathCheck;

// Does all file work of the program: mounting, unmounting, measuring, deleting and adding
// mods. Lives on a thread of its own; one Worker serves one operation (an unmount may be run a
// second time, forced). Reports by signals only.
class Worker : public QObject
{
    Q_OBJECT

public:
    Worker(ConfigStore *config, QString modName);
    ~Worker() override;

    // Set by the controlling thread at any time; polled between entries. Never reset.
    std::atomic<bool> aborted{false};

public slots:
    void scanModWorker(int row);
    void mountModWorker();
    void unmountModWorker(bool force = false);
    void deleteModWorker();
    void moveFolderWorker(const QString &source, const QString &target, int mode = 0);

signals:
    void scanModUpdate(int row, const QString &sizeText, const QString &filesText);
    void resultReady(const QString &modName, int done, int failed, int missing, bool aborted,
                     bool forced = false);
    void status(const QString &text, bool error = false);
    void appendAction(const QString &text);

public:
    PlaceResult placeFile(const QString &source, const QString &target, TransferMode mode);
    OutcomeCounts mountFolder(const QString &folder, const QString &gameFolder);
    // Removes one placed file or link (never a link's target) and prunes the folders that
    // this empties, up to the mods folder.
    FileOutcome deleteFile(const QString &path);
    void deleteEmptyFolders(const QString &folder, const QString &stopFolder);

private:
    struct Placement {
        bool record = false; // write-ahead records of a mount
        bool prune = true;   // after a move: remove the folders it emptied
    };
    PlaceResult place(const QFileInfo &sourceInfo, const QFileInfo &targetInfo, TransferMode mode,
                      const Placement &how);
    bool transfer(const QString &source, const QString &target, TransferMode mode,
                  bool sourceIsFolder);
    // A change that could not be written down is not made at all.
    void reportUnrecordable(const RecordFile &record, const QString &source);
    bool undoBackup(const QString &backupPath, const QString &target, bool recorded);
    FileOutcome removeEntry(const QString &path, bool prune);
    // Each unmount pass works through one record; it is current again once the pass has
    // rewritten it (`rewritten` false when that failed).
    struct Pass {
        bool force;
        RecordedPathCheck &check;
        UnmountJournal &journal;
        bool rewritten = true;
    };
    OutcomeCounts unmountPlacedEntries(Pass &pass);
    OutcomeCounts restoreBackups(Pass &pass);
    struct Handled {
        FileOutcome outcome;
        bool stillToUndo; // the line stays on record for a later unmount
    };
    enum class RecordOrder { Forward, Backward };
    // Works through one record file; keeps the lines of entries that are still to be undone.
    OutcomeCounts workThroughRecord(const QString &recordPath, Pass &pass,
                                    UnmountJournal::Step step, RecordOrder order,
                                    const std::function<Handled(const std::string &)> &handle);
    void reportUntrusted(const QString &line);
    QSet<QString> recordedRestorePaths() const;
    void pruneFolders(const QSet<QString> &folders, const QString &stopFolder);
    QString modFolder() const;
    static bool isPlainName(const QString &name);

    QString modName;
    // Copies taken when the Worker is made, on the thread that owns the store: the store is
    // never read again, so neither a later change of the settings nor the store going away
    // with the window can touch a running operation.
    const QString gamePath;
    const QString modsPath;
    const QString outFilesPath;
    const QString backupFilesPath;
    const QString unmountProgressPath;
    RecordFile outFilesStream;
    RecordFile backupFilesStream;
};
