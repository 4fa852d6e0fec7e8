#pragma once

#include "fileoutcome.h"
#include "operation.h"
#include "previewedmount.h"
#include "workerpaths.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

class FileStatus;
struct ListedRecords;
class QWidget;
class ReportRelay;
class Worker;

// Runs one operation of a Worker on a thread of its own and shows its progress; the only thing
// that touches its thread, Worker and dialog. An operation starts through one of the functions
// below, its result leaves through resultReady, and the Controller then releases itself (after
// the user has dismissed a finished dialog, when there is one). What is still there when its
// owner goes is deleted with it, which joins the thread.
class Controller : public QObject
{
    Q_OBJECT

public:
    // `owner` keeps it; its dialog, once one is needed, is a child of `parentForDialog`.
    Controller(const WorkerPaths &paths, const QString &modName, QWidget *parentForDialog,
               QObject *owner);
    ~Controller() override;

    // Each starts the operation it names; a Controller runs one.
    void mount();
    void unmount();
    void deleteMod();
    void addFolder(const QString &source, const QString &target, TransferMode mode);
    void addArchive(const QString &archive, const QString &target);
    void check();
    void repair();
    // What a mount of the mod would do, or with `mounted` what its mount's records say it set
    // aside; previewReady comes before the result.
    void preview(bool mounted);

    // Asks the operation to stop at its next check, as the dialog's Abort button does.
    void abort();

    Operation operation() const { return current; }
    // From the start of the operation until its result has arrived, and again while a forced
    // pass started from the dialog runs. A Controller that only waits for its finished dialog
    // to be dismissed is not running.
    bool isRunning() const { return running; }
    // Nothing more can come of it: it has its result, and no finished dialog can start a
    // forced pass. Only its release is still to come.
    bool isSettled() const { return !running && !awaitingDismissal; }

signals:
    // Once per pass, after every report of it. The Controller is still there while receivers
    // handle it, and is released only afterwards.
    void resultReady(const OperationResult &result);
    // A preview that was not aborted.
    void previewReady(const PreviewedMount &preview);

private:
    // Runs `work` on the Worker's thread.
    void start(Operation operation, std::function<void(Worker *)> work);
    void workerResult(const QString &modName, int done, int failed, int missing, int kept,
                      bool aborted, bool forced);
    void showFinished(const OperationResult &result);
    void status(const QString &text, bool error);
    void appendAction(const QString &text);
    void amount(int files, qint64 bytesDone, qint64 bytesTotal);
    void forceUnmount();
    // The records a failed unmount left, counted on the Worker's thread after its result.
    void recordsListed(const ListedRecords &listed);
    void dialogDismissed();
    void closeDialog();
    void release();
    QString heading() const;
    FileStatus *shownDialog();

    QThread thread;
    Worker *worker;
    ReportRelay *reports;
    Operation current = Operation::Mount;
    QString modName;
    // Owned by its parent as a widget; held weakly in case the parent goes first.
    QPointer<FileStatus> dialog;
    QPointer<QWidget> dialogParent;
    bool awaitingDismissal = false;
    bool running = false;
    bool amountsShown = false;
    // The finished dialog is to offer Force Unmount once the records are counted.
    bool forceWanted = false;
    const bool hardLinks;
    // Set on the Worker's thread before its result.
    std::atomic<LinkRefusal> refusal{LinkRefusal::None};
};
