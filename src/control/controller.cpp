#include "controller.h"

#include "filestatus.h"
#include "reportrelay.h"
#include "worker.h"

Controller::Controller(QWidget *parentForDialog, ConfigStore *config, QString actionName,
                       QString mod, bool showsDialog)
    : QObject(nullptr), action(std::move(actionName)), modName(std::move(mod)),
      dialogParent(parentForDialog), withDialog(showsDialog)
{
    worker = new Worker(config, modName);
    worker->moveToThread(&thread);
    connect(&thread, &QThread::finished, worker, &QObject::deleteLater);

    connect(this, &Controller::scanMod, worker, &Worker::scanModWorker);
    connect(this, &Controller::mountMod, worker, &Worker::mountModWorker);
    connect(this, &Controller::unmountMod, worker, &Worker::unmountModWorker);
    connect(this, &Controller::deleteMod, worker, &Worker::deleteModWorker);
    connect(this, &Controller::moveFolder, worker, &Worker::moveFolderWorker);
    connect(this, &Controller::checkMod, worker, &Worker::checkModWorker);
    connect(this, &Controller::repairMod, worker, &Worker::repairModWorker);
    connect(this, &Controller::extractArchive, worker, &Worker::extractArchiveWorker);
    // A scan ends without a result; this runs after the scan has been queued.
    connect(this, &Controller::scanMod, this, &Controller::releaseAfterScan);
    connect(this, &Controller::scanMod, this, &Controller::started);
    connect(this, &Controller::mountMod, this, &Controller::started);
    connect(this, &Controller::unmountMod, this, &Controller::started);
    connect(this, &Controller::deleteMod, this, &Controller::started);
    connect(this, &Controller::moveFolder, this, &Controller::started);
    connect(this, &Controller::checkMod, this, &Controller::started);
    connect(this, &Controller::repairMod, this, &Controller::started);
    connect(this, &Controller::extractArchive, this, &Controller::started);

    reports =
        new ReportRelay(worker, withDialog ? ReportRelay::AllReports : ReportRelay::ScanOnly, this);
    if (withDialog) {
        connect(reports, &ReportRelay::status, this, &Controller::status);
        connect(reports, &ReportRelay::appendAction, this, &Controller::appendAction);
        connect(reports, &ReportRelay::amountDone, this, &Controller::amount);
    }
    // Also without a dialog, so that the Controller is released at the end.
    connect(worker, &Worker::resultReady, this, &Controller::result);
    thread.start(QThread::InheritPriority);
}

FileStatus *Controller::shownDialog()
{
    // Made on first use: most operations never show one (a scan, a clean mount of an empty mod),
    // and a refresh of many mods would otherwise build a dialog for every one of them.
    if (dialog || !withDialog)
        return dialog;
    dialog = new FileStatus(dialogParent);
    connect(dialog, &QDialog::rejected, this, &Controller::abort);
    connect(dialog, &FileStatus::forceUnmount, worker, &Worker::unmountModWorker);
    connect(dialog, &FileStatus::forceUnmount, this, [this] {
        awaitingDismissal = false;
        running = true;
    });
    connect(dialog, &QDialog::finished, this, &Controller::dialogDismissed);
    dialog->setMessage(action + QLatin1Char(' ') + modName + QLatin1Char(':'));
    dialog->setWindowTitle(action + QLatin1Char(' ') + modName + QStringLiteral("..."));
    return dialog;
}

Controller::~Controller()
{
    if (dialog) {
        // Closing the dialog must not come back here as a dismissal or an abort.
        disconnect(dialog, nullptr, this, nullptr);
        if (dialog->isVisible())
            dialog->close();
    }
    thread.quit();
    thread.wait(); // the Worker is deleted on its own thread before this returns
    delete dialog;
}

void Controller::result(const QString &, int done, int failed, int missing, bool aborted,
                        bool forced)
{
    // Every report was made before the result.
    reports->deliver();
    running = false;
    const bool problems = OutcomeCounts{done, failed, missing}.hasProblems();
    if ((!problems && !aborted) || !withDialog) {
        // Deleted at once, so the dialog is closed and the thread joined before the main
        // window's handler for this same result runs.
        delete this;
        return;
    }

    shownDialog();
    // Dismissing the finished dialog aborts nothing.
    disconnect(dialog, &QDialog::rejected, this, &Controller::abort);
    if (aborted) {
        dialog->finish(false);
    } else if (forced) {
        dialog->finish(false);
        appendAction(QStringLiteral("done."));
    } else {
        const bool unmounting = action == QLatin1String("Unmounting");
        // A check that found differences has done its job all the same.
        const bool checking = action == QLatin1String("Checking");
        dialog->finish(unmounting && done == 0);
        appendAction((done > 0 && !unmounting) || checking ? QStringLiteral("done.")
                                                           : QStringLiteral("failed."));
    }

    QString summary = QStringLiteral("%0 files succeeded").arg(done);
    if (failed > 0)
        summary += QStringLiteral(", %0 files failed").arg(failed);
    if (missing > 0)
        summary += QStringLiteral(", %0 files missing").arg(missing);
    summary += QLatin1Char('.');
    amountsShown = false; // the summary takes the info line
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
        dialog->setMessage(action + QLatin1Char(' ') + modName + QStringLiteral(": ") + text);
}

void Controller::abort()
{
    worker->aborted = true;
    appendAction(QStringLiteral("aborted."));
}

void Controller::releaseAfterScan()
{
    // Runs on the worker's thread after the scan, then back here, where the scan's last reports
    // are delivered. A queued call, not deleteLater: deferred deletions may be carried
    // out ahead of other posted events.
    QMetaObject::invokeMethod(
        worker,
        [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    reports->deliver();
                    delete this;
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void Controller::dialogDismissed()
{
    if (awaitingDismissal && !running)
        deleteLater();
}
