#pragma once

#include "entryremoval.h"
#include "fileoutcome.h"
#include "listedrecords.h"
#include "mountway.h"
#include "previewedmount.h"
#include "workerparts.h"
#include "workerpaths.h"

#include <QObject>
#include <QString>

#include <atomic>

// Does all file work of the program: mounting, unmounting, measuring, deleting and adding
// mods. Lives on a thread of its own; one Worker serves one operation (an unmount may be run a
// second time, forced). Reports by signals only. The work itself is done by its parts: the
// removal of entries and folders, and for the operation at hand the placer of entries with the
// mount's records where it has to keep them, the mount's walk of the mod, an unmount pass, a
// check, a repair or an archive's add.
class Worker : public QObject
{
    Q_OBJECT

public:
    Worker(const WorkerPaths &paths, QString mod);
    ~Worker() override;

    // Set by the controlling thread at any time; polled between entries. Never reset.
    std::atomic<bool> aborted{false};

    // What the mount's records list now. Reads them whole: only on the Worker's thread.
    ListedRecords listedRecords() const;

public slots:
    void mountModWorker();
    void unmountModWorker(bool force = false);
    void deleteModWorker();
    void moveFolderWorker(const QString &source, const QString &target, TransferMode mode);
    // Compares the game folder with the mount's records and the mod; changes nothing.
    void checkModWorker();
    // What a mount of the mod would do, or with `mounted` what the records of its mount say it
    // set aside; changes nothing. The preview comes before the result, unless aborted.
    void previewModWorker(bool mounted);
    // Makes the game folder what a fresh mount of the mod would make it, records kept exact.
    void repairModWorker();
    // Adds the mod from an archive: `target` in the mods folder appears only once it is whole.
    void extractArchiveWorker(const QString &archivePath, const QString &target);

signals:
    // A mount or a repair found its way of linking impossible here and changed nothing; its
    // result follows.
    void mountRefused(LinkRefusal why);
    void previewReady(const PreviewedMount &preview);
    // `kept`: game entries left as found, each with its line (OutcomeCounts::kept).
    void resultReady(const QString &modName, int done, int failed, int missing, int kept,
                     bool aborted, bool forced = false);
    void status(const QString &text, bool error = false);
    void appendAction(const QString &text);
    // How far an add or delete has come, in bytes of the total its walk (or the archive's size)
    // gave at the start.
    void amountDone(int files, qint64 bytesDone, qint64 bytesTotal);

private:
    // The parts report through the status signal.
    WorkerParts::Report reporter();
    QString modFolder() const;
    MountWay way() const;
    // Tries the way before anything is placed; when it cannot work, says so with an empty
    // result and gives true.
    bool refusesWay();

    const WorkerPaths paths;
    const QString modName;
    EntryRemoval removal;
};
