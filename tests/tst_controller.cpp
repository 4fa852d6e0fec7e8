#include "controller.h"
#include "filestatus.h"
#include "reportrelay.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace
{

// Notes every progress dialog that is shown, with its title and message at that moment.
class ShownDialogs : public QObject
{
public:
    ShownDialogs() { QCoreApplication::instance()->installEventFilter(this); }
    QStringList seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            if (auto *dialog = qobject_cast<FileStatus *>(watched))
                seen << dialog->windowTitle() + " | " +
                            dialog->findChild<QLabel *>("msgLbl")->text();
        return false;
    }
};

// Stands in for the main window's result slot: records each result and what the world looked
// like when it arrived.
struct Handler {
    QList<WorkerLog::Result> results;
    QList<bool> controllerGoneOnArrival;
    QList<int> dialogsOnArrival;
};

// Answers the message box that the next click opens; `asked` gets its title.
void answerNextBox(QMessageBox::StandardButton button, QStringList *asked)
{
    QTimer::singleShot(0, [button, asked] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            *asked << box->windowTitle();
            box->button(button)->click();
        }
    });
}

// Waits until the worker has done everything sent to it so far, and until what it reported
// has arrived here.
void drain(Worker *worker)
{
    QMetaObject::invokeMethod(
        worker, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents();
}

QString labelText(FileStatus *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(name)->text();
}

} // namespace

class ControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanResultReleasesBeforeTheCallerHearsOfIt();
    void abortShowsAbortedAtOnceAndTheSummaryOnArrival();
    void escapeWhileRunningAbortsAndHides();
    void failedUnmountOffersAForcedPassOnTheSameWorker();
    void everyControllerIsReleasedInTheEnd();
    void destroyingWithoutDialogJoinsTheThread();
    void relayKeepsTheOrderAndDropsOnlyUnseenProgress();

private:
    Controller *start(Sandbox &box, const QString &action, const QString &mod, Handler &handler)
    {
        auto *controller = new Controller(&window, box.config.get(), action, mod, true);
        QPointer<Controller> guard(controller);
        connect(controller->worker, &Worker::resultReady, this,
                [this, guard, &handler](const QString &modName, int done, int failed, int missing,
                                        bool aborted, bool forced) {
                    handler.results
                        << WorkerLog::Result{modName, done, failed, missing, aborted, forced};
                    handler.controllerGoneOnArrival << guard.isNull();
                    handler.dialogsOnArrival << window.findChildren<FileStatus *>().size();
                });
        return controller;
    }

    QWidget window;
};

void ControllerTest::cleanResultReleasesBeforeTheCallerHearsOfIt()
{
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.modDir("Empty")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/a.txt"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/b.txt"));

    // Nothing to mount: no report, so no dialog is even made.
    Handler handler;
    ShownDialogs shown;
    Controller *controller = start(box, "Mounting", "Empty", handler);
    QCOMPARE(window.findChildren<FileStatus *>().size(), 0);
    emit controller->mountMod();
    QTRY_COMPARE(handler.results.size(), 1);
    QCOMPARE(shown.seen, QStringList());
    QCOMPARE(handler.results[0].done, 0);
    QVERIFY(handler.controllerGoneOnArrival[0]);
    QCOMPARE(handler.dialogsOnArrival[0], 0);

    // With files: the dialog shows progress, and is gone with its thread before the caller's
    // handler runs.
    controller = start(box, "Mounting", "Foo", handler);
    emit controller->mountMod();
    QTRY_COMPARE(handler.results.size(), 2);
    QCOMPARE(handler.results[1].done, 2);
    QVERIFY(!shown.seen.isEmpty());
    QCOMPARE(shown.seen.first(), QString("Mounting Foo... | Mounting Foo:"));
    QVERIFY(handler.controllerGoneOnArrival[1]);
    QCOMPARE(handler.dialogsOnArrival[1], 0);
}

void ControllerTest::abortShowsAbortedAtOnceAndTheSummaryOnArrival()
{
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Maps")));
    for (int i = 0; i < 20; ++i)
        QVERIFY(Tree::file(box.modDir("Foo") + QString("/Maps/%1.w3x").arg(i)));

    Handler handler;
    Controller *controller = start(box, "Mounting", "Foo", handler);
    // Hold the worker on its first file until the user has pressed Abort.
    QSemaphore userActed;
    bool held = false;
    connect(
        controller->worker, &Worker::status, controller->worker,
        [&userActed, &held](const QString &text, bool) {
            if (!held && text.startsWith("Maps/")) {
                held = true;
                userActed.acquire();
            }
        },
        Qt::DirectConnection);
    emit controller->mountMod();
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(dialog->findChild<QPushButton *>("abortBtn"), Qt::LeftButton);
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    QVERIFY(dialog->isVisible());
    userActed.release();

    QTRY_COMPARE(handler.results.size(), 1);
    QVERIFY(handler.results[0].aborted);
    QCOMPARE(handler.results[0].done, 1);
    QVERIFY(!handler.controllerGoneOnArrival[0]);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    QCOMPARE(labelText(dialog, "infoLbl"), QString("1 files succeeded."));
    QVERIFY(dialog->findChild<QPushButton *>("abortBtn")->isHidden());
    QVERIFY(!dialog->findChild<QPushButton *>("okBtn")->isHidden());
    QVERIFY(dialog->findChild<QPushButton *>("forceBtn")->isHidden());

    // OK dismisses it, and the Controller goes with its dialog.
    QPointer<FileStatus> gone(dialog);
    QTest::mouseClick(dialog->findChild<QPushButton *>("okBtn"), Qt::LeftButton);
    QTRY_VERIFY(gone.isNull());
}

void ControllerTest::escapeWhileRunningAbortsAndHides()
{
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Maps")));
    for (int i = 0; i < 5; ++i)
        QVERIFY(Tree::file(box.modDir("Foo") + QString("/Maps/%1.w3x").arg(i)));
    QVERIFY(Tree::file(box.game("Maps/4.w3x"), "game")); // gives the mount a backup to undo

    Handler handler;
    Controller *controller = start(box, "Mounting", "Foo", handler);
    QSemaphore userActed;
    connect(
        controller->worker, &Worker::status, controller->worker,
        [&userActed](const QString &text, bool) {
            if (text == "Maps")
                userActed.acquire();
        },
        Qt::DirectConnection);
    emit controller->mountMod();
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    userActed.release();

    // The result brings the dialog back in its finished mode.
    QTRY_COMPARE(handler.results.size(), 1);
    QVERIFY(handler.results[0].aborted);
    QCOMPARE(handler.results[0].done, 0);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(labelText(dialog, "infoLbl"), QString("0 files succeeded."));
    QPointer<FileStatus> gone(dialog);
    dialog->findChild<QPushButton *>("okBtn")->click();
    QTRY_VERIFY(gone.isNull());
}

void ControllerTest::failedUnmountOffersAForcedPassOnTheSameWorker()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(
        writeFile(box.appDir + "/out_files.txt",
                  (box.game("a") + "\n" + box.game("b") + "\n" + box.game("c") + "\n").toUtf8()));

    Handler handler;
    Controller *controller = start(box, "Unmounting", "Foo", handler);
    emit controller->unmountMod(false);
    QTRY_COMPARE(handler.results.size(), 1);
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Unmounting Foo: failed."));
    QCOMPARE(labelText(dialog, "infoLbl"), QString("0 files succeeded, 3 files missing."));
    auto *force = dialog->findChild<QPushButton *>("forceBtn");
    QVERIFY(!force->isHidden());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    // No: nothing happens.
    QStringList asked;
    answerNextBox(QMessageBox::No, &asked);
    QTest::mouseClick(force, Qt::LeftButton);
    QCOMPARE(asked, QStringList{"Force unmount?"});
    drain(controller->worker);
    QCOMPARE(handler.results.size(), 1);
    QVERIFY(dialog->isVisible());
    QCOMPARE(box.outFiles().count('\n'), 3);

    // Yes: the same Worker runs the unmount again, forced.
    answerNextBox(QMessageBox::Yes, &asked);
    QTest::mouseClick(force, Qt::LeftButton);
    QCOMPARE(asked.size(), 2);
    QTRY_COMPARE(handler.results.size(), 2);
    QVERIFY(!handler.results[0].forced);
    QVERIFY(handler.results[1].forced);
    QCOMPARE(handler.results[1].missing, 3);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Unmounting Foo: done."));
    QVERIFY(force->isHidden());
    QCOMPARE(dialog->findChild<QPlainTextEdit *>("detailsTxt")
                 ->toPlainText()
                 .count("-----------------\n\n"),
             2);
    QCOMPARE(box.outFiles(), QByteArray());

    // After a result Escape only dismisses: nothing is aborted.
    QPointer<FileStatus> gone(dialog);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Unmounting Foo: done."));
    QTRY_VERIFY(gone.isNull());
}

void ControllerTest::everyControllerIsReleasedInTheEnd()
{
    Sandbox box;
    QVERIFY(box.isValid());
    for (int i = 0; i < 4; ++i)
        QVERIFY(Tree::file(box.modDir(QString("Mod%1").arg(i)) + "/a.txt", QByteArray(100, 'x')));
    QVERIFY(Tree::folder(box.modDir("Empty")));
    QVERIFY(writeFile(box.appDir + "/out_files.txt", box.game("gone").toUtf8() + "\n"));

    // Warm up whatever threads Qt itself starts on first use.
    delete new Controller(&window, box.config.get(), "Scanning", "Mod0", true);
    const int threadsBefore = liveThreadCount();
    int liveControllers = 0;
    auto track = [&liveControllers](Controller *controller) {
        ++liveControllers;
        QObject::connect(controller, &QObject::destroyed,
                         [&liveControllers] { --liveControllers; });
        return controller;
    };

    for (int round = 0; round < 3; ++round) {
        // A refresh: one scan per mod; every report arrives before its Controller goes.
        QMap<int, QStringList> reports;
        int scans = 0;
        for (const char *mod : {"Mod0", "Mod1", "Mod2", "Mod3", "Empty"}) {
            Controller *scan =
                track(new Controller(&window, box.config.get(), "Scanning", mod, true));
            connect(scan->reports, &ReportRelay::scanModUpdate, this,
                    [&reports](int row, const QString &size, const QString &files) {
                        reports[row] << size + " " + files;
                    });
            emit scan->scanMod(scans++);
        }
        // An unmount with problems, dismissed with OK.
        Handler handler;
        Controller *failing = track(start(box, "Unmounting", "Foo", handler));
        emit failing->unmountMod(false);
        // The scans never make a dialog; the unmount's is the only one.
        FileStatus *dialog = nullptr;
        QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
        QTRY_COMPARE(liveControllers, 1);
        QCOMPARE(window.findChildren<FileStatus *>().size(), 1);
        QCOMPARE(dialog->windowTitle(), QString("Unmounting Foo..."));
        QCOMPARE(reports.size(), 5);
        QCOMPARE(reports[4], QStringList{"0 MB 0 files"});
        for (int row = 0; row < 4; ++row)
            QCOMPARE(reports[row].value(reports[row].size() - 1), QString("0 MB 1 files"));
        QTRY_VERIFY(dialog->findChild<QPushButton *>("okBtn")->isVisible());
        dialog->findChild<QPushButton *>("okBtn")->click();
        QTRY_COMPARE(liveControllers, 0);
        QVERIFY(writeFile(box.appDir + "/out_files.txt", box.game("gone").toUtf8() + "\n"));
    }
    QCOMPARE(window.findChildren<FileStatus *>().size(), 0);
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

void ControllerTest::destroyingWithoutDialogJoinsTheThread()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const int threadsBefore = liveThreadCount();
    auto *controller = new Controller(&window, box.config.get(), "Deleting", "Foo", false);
    QVERIFY(controller->worker->thread()->isRunning());
    QSignalSpy workerGone(controller->worker, &QObject::destroyed);
    QCOMPARE(window.findChildren<FileStatus *>().size(), 0);
    delete controller;
    QCOMPARE(workerGone.count(), 1);
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

void ControllerTest::relayKeepsTheOrderAndDropsOnlyUnseenProgress()
{
    Sandbox box;
    QVERIFY(box.isValid());
    Worker worker(box.config.get(), "Foo");
    ReportRelay relay(&worker, ReportRelay::AllReports);
    QStringList delivered;
    connect(&relay, &ReportRelay::status, this, [&delivered](const QString &text, bool error) {
        delivered << (error ? "error " : "progress ") + text;
    });
    connect(&relay, &ReportRelay::appendAction, this,
            [&delivered](const QString &text) { delivered << "action " + text; });
    connect(&relay, &ReportRelay::scanModUpdate, this,
            [&delivered](int row, const QString &size, const QString &files) {
                delivered << QString("row %1: %2, %3").arg(row).arg(size, files);
            });

    emit worker.status("a", false);
    emit worker.status("b", false);
    emit worker.status("E1", true);
    emit worker.status("E2", true);
    emit worker.status("c", false);
    emit worker.appendAction("restoring");
    emit worker.status("d", false);
    emit worker.status("e", false);
    emit worker.scanModUpdate(3, "1 MB", "1 files");
    emit worker.scanModUpdate(3, "2 MB", "2 files");
    emit worker.scanModUpdate(4, "0 MB", "1 files");
    emit worker.scanModUpdate(3, "3 MB", "3 files");
    emit worker.status("E3", true);
    QCOMPARE(delivered, QStringList()); // nothing before the batch goes
    relay.deliver();
    QCOMPARE(delivered, (QStringList{"progress b", "error E1", "error E2", "progress c",
                                     "action restoring", "progress e", "row 3: 2 MB, 2 files",
                                     "row 4: 0 MB, 1 files", "row 3: 3 MB, 3 files", "error E3"}));
    QCOMPARE(relay.taken(), 13L);

    // Without anyone asking, a batch goes within a few milliseconds.
    delivered.clear();
    emit worker.status("late", false);
    QTRY_COMPARE(delivered, QStringList{"progress late"});
}

QTEST_MAIN(ControllerTest)
#include "tst_controller.moc"
