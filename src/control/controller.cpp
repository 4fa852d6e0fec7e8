#include "controller.h"

#include "filestatus.h"
#include "reportrelay.h"
#include "resultwording.h"
#include "worker.h"

Controller::Controller(const WorkerPaths &paths, const QString &mod, QWidget *parentForDialog,
                       QObject *owner)
    : QObject(owner), modName(mod), dialogParent(parentForDialog), hardLinks(paths.hardLinks)
{
    worker = new Worker(paths, modName);
    // The relay is the first to hear each report.
    reports = new ReportRelay(worker, this);
    worker->moveToThread(&thread);
    connect(&thread, &QThread::finished, worker, &QObject::deleteLater);

    connect(reports, &ReportRelay::status, this, &Controller::status);
    connect(reports, &ReportRelay::appendAction, this, &Controller::appendAction);
    connect(reports, &ReportRelay::amountDone, this, &Controller::amount);
    // Direct: the result that follows it reads it, queued behind it.
    connect(
        worker, &Worker::mountRefused, this, [this](LinkRefusal why) { refusal = why; },
        Qt::DirectConnection);
    connect(worker, &Worker::previewReady, this, &Controller::previewReady);
    connect(worker, &Worker::resultReady, this, &Controller::workerResult);
    thread.start(QThread::InheritPriority);
}

Controller::~Controller()
{
    closeDialog();
    thread.quit();
    thread.wait(); // the Worker is deleted on its own thread before this returns
}

void Controller::start(Operation operation, std::function<void(Worker *)> work)
{
    current = operation;
    running = true;
    QMetaObject::invokeMethod(
        worker, [w = worker, work = std::move(work)] { work(w); }, Qt::QueuedConnection);
}

void Controller::mount()
{
    start(Operation::Mount, [](Worker *w) { w->mountModWorker(); });
}

void Controller::unmount()
{
    start(Operation::Unmount, [this](Worker *w) {
        w->unmountModWorker(false);
        // Off the window's thread: the records of a large mount are long. Queued behind the
        // result, so the dialog is finished when they arrive.
        const ListedRecords listed = w->listedRecords();
        QMetaObject::invokeMethod(
            this, [this, listed] { recordsListed(listed); }, Qt::QueuedConnection);
    });
}

void Controller::deleteMod()
{
    start(Operation::Delete, [](Worker *w) { w->deleteModWorker(); });
}

void Controller::addFolder(const QString &source, const QString &target, TransferMode mode)
{
    start(Operation::Add,
          [source, target, mode](Worker *w) { w->moveFolderWorker(source, target, mode); });
}

void Controller::addArchive(const QString &archive, const QString &target)
{
    start(Operation::Add,
          [archive, target](Worker *w) { w->extractArchiveWorker(archive, target); });
}

void Controller::check()
{
    start(Operation::Check, [](Worker *w) { w->checkModWorker(); });
}

void Controller::repair()
{
    start(Operation::Repair, [](Worker *w) { w->repairModWorker(); });
}

void Controller::preview(bool mounted)
{
    start(Operation::Preview, [mounted](Worker *w) { w->previewModWorker(mounted); });
}

void Controller::recordsListed(const ListedRecords &listed)
{
    if (forceWanted && dialog)
        dialog->offerForce(modName, listed);
    forceWanted = false;
}

void Controller::forceUnmount()
{
    awaitingDismissal = false;
    start(Operation::Unmount, [](Worker *w) { w->unmountModWorker(true); });
}

QString Controller::heading() const
{
    return ResultWording::actionWords(current).ongoing + QLatin1Char(' ') + modName;
}

FileStatus *Controller::shownDialog()
{
    // Made on first use: many operations never show one (a clean mount of an empty mod).
    if (dialog || !dialogParent)
        return dialog;
    dialog = new FileStatus(dialogParent);
    connect(dialog, &QDialog::rejected, this, &Controller::abort);
    connect(dialog, &FileStatus::forceUnmount, this, &Controller::forceUnmount);
    connect(dialog, &QDialog::finished, this, &Controller::dialogDismissed);
    dialog->setMessage(heading() + QLatin1Char(':'));
    dialog->setWindowTitle(heading() + QStringLiteral("..."));
    return dialog;
}

void Controller::closeDialog()
{
    if (!dialog)
        return;
    // Closing the dialog must not come back here as a dismissal or an abort.
    disconnect(dialog, nullptr, this, nullptr);
    delete dialog;
}

void Controller::workerResult(const QString &, int done, int failed, int missing, int kept,
                              bool aborted, bool forced)
{
    // Every report was made before the result.
    reports->deliver();
    running = false;
    const OperationResult result{current, modName, OutcomeCounts{done, failed, missing, kept},
                                 aborted, forced,  refusal};
    // Without a parent for it there is no dialog to wait for.
    const bool staysOpen = (aborted || result.counts.hasReports()) && shownDialog();
    if (staysOpen)
        showFinished(result);
    else
        closeDialog(); // gone before anyone hears of the result
    const QPointer<Controller> alive(this);
    emit resultReady(result);
    // Released after the result has been handled; one with a finished dialog waits for the user.
    if (alive && !staysOpen)
        release();
}

void Controller::showFinished(const OperationResult &result)
{
    // Dismissing the finished dialog aborts nothing.
    disconnect(dialog, &QDialog::rejected, this, &Controller::abort);
    const OutcomeCounts &counts = result.counts;
    if (result.aborted) {
        dialog->finish();
    } else if (result.forced) {
        dialog->finish();
        appendAction(QStringLiteral("done."));
    } else {
        const bool unmounting = current == Operation::Unmount;
        // A check that found differences has done its job all the same, and so has an unmount
        // that only kept game entries.
        const bool checking = current == Operation::Check;
        const bool problems = counts.hasProblems();
        dialog->finish();
        // Offered once the records left are counted (recordsListed).
        forceWanted = unmounting && problems && counts.done == 0;
        const bool succeeded = checking || (unmounting ? !problems : counts.done > 0);
        appendAction(succeeded ? QStringLiteral("done.") : QStringLiteral("failed."));
    }

    amountsShown = false; // the summary takes the info line
    QString summary = ResultWording::counted(counts, QStringLiteral("succeeded"),
                                             ResultWording::actionWords(current).kept) +
                      QLatin1Char('.');
    if (current == Operation::Mount)
        summary += QLatin1Char(' ') + ResultWording::mountedWay(hardLinks);
    status(summary, false);
    awaitingDismissal = true;
}

void Controller::status(const QString &text, bool error)
{
    if (!shownDialog())
        return;
    if (error)
        dialog->appendDetail(text);
    else if (!amountsShown) // once there are amounts, the info line tells those
        dialog->setInfo(text);
    if (!dialog->isVisible())
        dialog->show();
}

void Controller::amount(int files, qint64 bytesDone, qint64 bytesTotal)
{
    if (!shownDialog())
        return;
    amountsShown = true;
    dialog->setAmount(files, bytesDone, bytesTotal);
    if (!dialog->isVisible())
        dialog->show();
}

void Controller::appendAction(const QString &text)
{
    if (shownDialog())
        dialog->setMessage(heading() + QStringLiteral(": ") + text);
}

void Controller::abort()
{
    worker->aborted = true;
    appendAction(QStringLiteral("aborted."));
}

void Controller::dialogDismissed()
{
    if (awaitingDismissal && !running)
        release();
}

void Controller::release()
{
    // Later, not now: this may run inside a signal of its own dialog or of the Worker's relay.
    deleteLater();
}
