#include "controller.h"
#include "filestatus.h"
#include "modalanswerer.h"
#include "reportrelay.h"
#include "sandbox.h"
#include "scantext.h"
#include "testsupport.h"
#include "worker.h"
#include "workergate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
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
    QList<OperationResult> results;
    QList<bool> controllerGoneOnArrival;
    QList<int> dialogsOnArrival;
};

QString labelText(FileStatus *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(name)->text();
}

} // namespace

class ControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanResultClosesTheDialogBeforeAndReleasesAfterTheCaller();
    void abortShowsAbortedAtOnceAndTheSummaryOnArrival();
    void escapeWhileRunningAbortsAndHides();
    void failedUnmountOffersAForcedPassOnTheSameWorker();
    void everyControllerIsReleasedInTheEnd();
    void destroyingWithoutDialogJoinsTheThread();
    void relayKeepsTheOrderAndDropsOnlyUnseenProgress();

private:
    Controller *start(Sandbox &box, const QString &mod, Handler &handler)
    {
        auto *controller = new Controller(WorkerPaths::of(*box.config), mod, &window, nullptr);
        QPointer<Controller> guard(controller);
        connect(controller, &Controller::resultReady, this,
                [this, guard, &handler](const OperationResult &result) {
                    handler.results << result;
                    handler.controllerGoneOnArrival << guard.isNull();
                    handler.dialogsOnArrival << window.findChildren<FileStatus *>().size();
                });
        return controller;
    }

    QWidget window;
};

void ControllerTest::cleanResultClosesTheDialogBeforeAndReleasesAfterTheCaller()
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
    QPointer<Controller> controller = start(box, "Empty", handler);
    QCOMPARE(window.findChildren<FileStatus *>().size(), 0);
    controller->mount();
    QTRY_COMPARE(handler.results.size(), 1);
    QCOMPARE(shown.seen, QStringList());
    QCOMPARE(handler.results[0].counts.done, 0);
    QCOMPARE(handler.results[0].operation, Operation::Mount);
    QCOMPARE(handler.results[0].modName, QString("Empty"));
    // Still there while the caller handles its result; released right after.
    QVERIFY(!handler.controllerGoneOnArrival[0]);
    QCOMPARE(handler.dialogsOnArrival[0], 0);
    QTRY_VERIFY(controller.isNull());

    // With files: the dialog shows progress, and is gone before the caller's handler runs.
    controller = start(box, "Foo", handler);
    controller->mount();
    QTRY_COMPARE(handler.results.size(), 2);
    QCOMPARE(handler.results[1].counts.done, 2);
    QVERIFY(!shown.seen.isEmpty());
    QCOMPARE(shown.seen.first(), QString("Mounting Foo... | Mounting Foo:"));
    QVERIFY(!handler.controllerGoneOnArrival[1]);
    QCOMPARE(handler.dialogsOnArrival[1], 0);
    QTRY_VERIFY(controller.isNull());
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
    // Hold the worker on its first file until the user has pressed Abort.
    WorkerGate gate([](const QString &text) { return text.startsWith("Maps/"); });
    Controller *controller = start(box, "Foo", handler);
    controller->mount();
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(dialog->findChild<QPushButton *>("abortBtn"), Qt::LeftButton);
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    QVERIFY(dialog->isVisible());
    gate.open();

    QTRY_COMPARE(handler.results.size(), 1);
    QVERIFY(handler.results[0].aborted);
    QCOMPARE(handler.results[0].counts.done, 1);
    QVERIFY(!handler.controllerGoneOnArrival[0]);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    QCOMPARE(labelText(dialog, "infoLbl"),
             QString("1 files succeeded. Mounted with symbolic links."));
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
    WorkerGate gate([](const QString &text) { return text == "Maps"; });
    Controller *controller = start(box, "Foo", handler);
    controller->mount();
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Mounting Foo: aborted."));
    gate.open();

    // The result brings the dialog back in its finished mode.
    QTRY_COMPARE(handler.results.size(), 1);
    QVERIFY(handler.results[0].aborted);
    QCOMPARE(handler.results[0].counts.done, 0);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(labelText(dialog, "infoLbl"),
             QString("0 files succeeded. Mounted with symbolic links."));
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
    Controller *controller = start(box, "Foo", handler);
    controller->unmount();
    QTRY_COMPARE(handler.results.size(), 1);
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
    QCOMPARE(labelText(dialog, "msgLbl"), QString("Unmounting Foo: failed."));
    QCOMPARE(labelText(dialog, "infoLbl"), QString("0 files succeeded, 3 files missing."));
    auto *force = dialog->findChild<QPushButton *>("forceBtn");
    // Offered once the Worker has counted what the records still list.
    QTRY_VERIFY(!force->isHidden());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    // No: nothing happens.
    ModalAnswerer answers;
    answers.pressInMessageBox("&No");
    QTest::mouseClick(force, Qt::LeftButton);
    QCOMPARE(answers.seenTitles, QStringList{"Force unmount?"});
    QCOMPARE(answers.seenTexts,
             QStringList{FileStatus::forceQuestion("Foo", ListedRecords{3, 0, 0})});
    QVERIFY(!controller->isRunning()); // no second pass was started
    QCOMPARE(handler.results.size(), 1);
    QVERIFY(dialog->isVisible());
    QCOMPARE(box.outFiles().count('\n'), 3);

    // Yes: the same Worker runs the unmount again, forced.
    answers.pressInMessageBox("&Yes");
    QTest::mouseClick(force, Qt::LeftButton);
    QCOMPARE(answers.seenTitles.size(), 2);
    QVERIFY(controller->isRunning());
    QTRY_COMPARE(handler.results.size(), 2);
    QVERIFY(!handler.results[0].forced);
    QVERIFY(handler.results[1].forced);
    QCOMPARE(handler.results[1].counts.missing, 3);
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
    QVERIFY(writeFile(box.appDir + "/out_files.txt", box.game("gone").toUtf8() + "\n"));

    // Warm up whatever threads Qt itself starts on first use.
    delete new Controller(WorkerPaths::of(*box.config), "Mod0", &window, nullptr);
    const int threadsBefore = liveThreadCount();
    int liveControllers = 0;
    auto track = [&liveControllers](Controller *controller) {
        ++liveControllers;
        QObject::connect(controller, &QObject::destroyed,
                         [&liveControllers] { --liveControllers; });
        return controller;
    };

    for (int round = 0; round < 3; ++round) {
        // An unmount with problems, dismissed with OK.
        Handler handler;
        Controller *failing = track(start(box, "Foo", handler));
        failing->unmount();
        FileStatus *dialog = nullptr;
        QTRY_VERIFY((dialog = window.findChild<FileStatus *>()) && dialog->isVisible());
        QTRY_COMPARE(liveControllers, 1);
        QCOMPARE(window.findChildren<FileStatus *>().size(), 1);
        QCOMPARE(dialog->windowTitle(), QString("Unmounting Foo..."));
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
    WorkerGate watcher;
    watcher.open(); // only counting
    auto *controller = new Controller(WorkerPaths::of(*box.config), "Foo", nullptr, nullptr);
    QCOMPARE(watcher.workersAlive(), 1);
    delete controller;
    QCOMPARE(watcher.workersAlive(), 0);
    QCOMPARE(window.findChildren<FileStatus *>().size(), 0);
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

void ControllerTest::relayKeepsTheOrderAndDropsOnlyUnseenProgress()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const auto worker = box.worker("Foo");
    ReportRelay relay(worker.get());
    QStringList delivered;
    connect(&relay, &ReportRelay::status, this, [&delivered](const QString &text, bool error) {
        delivered << (error ? "error " : "progress ") + text;
    });
    connect(&relay, &ReportRelay::appendAction, this,
            [&delivered](const QString &text) { delivered << "action " + text; });
    connect(&relay, &ReportRelay::amountDone, this,
            [&delivered](int files, qint64 done, qint64 total) {
                delivered << QString("%1 files, %2 of %3 bytes").arg(files).arg(done).arg(total);
            });

    emit worker->status("a", false);
    emit worker->status("b", false);
    emit worker->status("E1", true);
    emit worker->status("E2", true);
    emit worker->status("c", false);
    emit worker->appendAction("restoring");
    emit worker->status("d", false);
    emit worker->status("e", false);
    emit worker->amountDone(1, 10, 60);
    emit worker->amountDone(2, 20, 60);
    emit worker->appendAction("copying");
    emit worker->amountDone(3, 60, 60);
    emit worker->status("E3", true);
    QCOMPARE(delivered, QStringList()); // nothing before the batch goes
    relay.deliver();
    QCOMPARE(delivered, (QStringList{"progress b", "error E1", "error E2", "progress c",
                                     "action restoring", "progress e", "2 files, 20 of 60 bytes",
                                     "action copying", "3 files, 60 of 60 bytes", "error E3"}));
    QCOMPARE(relay.taken(), 13L);

    // Without anyone asking, a batch goes within a few milliseconds.
    delivered.clear();
    emit worker->status("late", false);
    QTRY_COMPARE(delivered, QStringList{"progress late"});
}

QTEST_MAIN(ControllerTest)
#include "tst_controller.moc"
