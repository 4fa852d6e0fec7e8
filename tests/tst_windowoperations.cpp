#include "filestatus.h"
#include "gamestandin.h"
#include "modalanswerer.h"
#include "mountrecords.h"
#include "modtable.h"
#include "windowfixture.h"
#include "workergate.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QtTest>

#include <memory>

using namespace TestSupport;

// The main window while its operations run: what the user can and cannot start meanwhile, and
// closing it in the middle of one.
class WindowOperationsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { installGameKey(); }

    void nothingStartsASecondMountWhileOneRuns();
    void finishedDialogAndForcedPassStillCountAsRunning();
    void closingWhileAMountRunsAbortsItAfterAsking();
    void closingWhileADeleteRunsStopsItAfterAsking();
    void anOperationThatEndsWhileAskedLetsTheWindowGo();
    void closingWhileIdleQuitsAndJoinsEveryScan();
    void commandsActOnlyOnAHighlightedRow();
    void aSettingsFileThatCannotBeSavedStopsTheCommand();
    void recordsOfAnUnsavedMountAreNeverForgotten();
    void checkAndRepairOneMountOperationAtATime();
    void aChangedGameFolderNeverKeepsAModMounted_data();
    void aChangedGameFolderNeverKeepsAModMounted();
    void mountCommandsWaitForTheGameToClose();
    void aWayOfLinkingThatCannotWorkIsAskedOrExplained_data();
    void aWayOfLinkingThatCannotWorkIsAskedOrExplained();

private:
    // The lines of the finished dialog whose title starts so, once it is on screen; it is then
    // dismissed.
    static QStringList finishedLines(Window &w, const QString &title)
    {
        FileStatus *dialog = nullptr;
        for (FileStatus *shown : w.window.findChildren<FileStatus *>())
            if (shown->windowTitle().startsWith(title))
                dialog = shown;
        if (!dialog || !QTest::qWaitFor([dialog] { return dialog->isVisible(); }))
            return {"<no dialog>"};
        QStringList lines = dialog->findChild<QPlainTextEdit *>("detailsTxt")
                                ->toPlainText()
                                .split('\n', Qt::SkipEmptyParts);
        lines.removeAll("-----------------");
        QTest::mouseClick(dialog->findChild<QPushButton *>("okBtn"), Qt::LeftButton);
        return lines;
    }
    static QAction *listMountAction(Window &w)
    {
        for (QAction *action : w.list->actions())
            if (action->text() == "Mount")
                return action;
        return nullptr;
    }
};

void WindowOperationsTest::nothingStartsASecondMountWhileOneRuns()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/new.w3x", "mod map"));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QTRY_COMPARE(w.cell("Foo", 2), QString("2 files"));
    w.select("Foo");
    auto *game = w.window.findChild<QPushButton *>("gameBtn");

    auto gate = std::make_unique<WorkerGate>();
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QVERIFY(gate->waitUntilHeld());
    QCOMPARE(w.status->text(), QString("Mounting Foo..."));

    // F5 rebuilds the list and shows the mod as mounted: "Mounted" was saved before the start.
    // (A shortcut clicks its button a moment later.)
    QTest::keyClick(&w.window, Qt::Key_F5);
    QTRY_COMPARE(w.status->text(), QString("Runemount refreshed."));
    QCOMPARE(w.toggle->text(), QString("Un&mount"));
    QVERIFY(!w.toggle->isEnabled());
    QVERIFY(!listMountAction(w)->isEnabled());
    QVERIFY(!game->isEnabled());

    // So does applying the settings (the game folder unchanged).
    ModalAnswerer answers;
    answers.act("Settings", [](QWidget *dialog) {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    w.action("actionSettings")->trigger();
    QVERIFY(answers.done());
    QCOMPARE(w.status->text(), QString("Settings saved."));
    QVERIFY(!w.toggle->isEnabled());

    // A click on the disabled toggle does nothing, and the commands refuse if reached anyway.
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Settings saved."));
    QVERIFY(QMetaObject::invokeMethod(&w.window, "unmountMod"));
    QCOMPARE(w.status->text(), QString("A mount or unmount is still running."));
    QVERIFY(QMetaObject::invokeMethod(&w.window, "mountMod"));
    QCOMPARE(w.status->text(), QString("A mount or unmount is still running."));
    QCOMPARE(gate->workersMade(), 1); // the mount's own, and no other operation's

    gate.reset();
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QVERIFY(w.toggle->isEnabled());
    QVERIFY(game->isEnabled());
    QVERIFY(isPlaced(app.box.game("Maps/new.w3x"), app.box.modDir("Foo") + "/Maps/new.w3x"));
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
    QCOMPARE(app.box.outFiles(), QByteArray());
    QCOMPARE(app.box.backupFiles(), QByteArray());
}

void WindowOperationsTest::finishedDialogAndForcedPassStillCountAsRunning()
{
    // A mount whose links went away outside the program: the unmount finds only missing files.
    AppFolder app("Mounted=Foo\nMountedCount=1 files\nMountedSize=0 MB\n");
    QVERIFY(Tree::folder(app.box.modDir("Foo")));
    QVERIFY(writeFile(app.box.appDir + "/out_files.txt",
                      (app.box.game("gone1") + "\n" + app.box.game("gone2") + "\n").toUtf8()));
    Window w(app);
    QVERIFY(w.toggle->isEnabled());
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(),
                 QString("Failed to unmount Foo. [0 files unmounted, 2 files missing]"));
    FileStatus *dialog = w.window.findChild<FileStatus *>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    // The finished dialog still offers the forced pass: no new unmount meanwhile.
    QVERIFY(!w.toggle->isEnabled());
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QVERIFY(!w.toggle->isEnabled());

    // The forced pass runs in the same dialog; the window hears of it only at its result.
    ModalAnswerer answers;
    answers.pressInMessageBox("Yes");
    QTest::mouseClick(dialog->findChild<QPushButton *>("forceBtn"), Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Force unmount?"});
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted. [0 files unmounted, 2 files missing]"));
    // Its own pass still had problems: the dialog stays until dismissed, and so does the block.
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(!w.toggle->isEnabled());
    QCOMPARE(w.toggle->text(), QString("&Mount"));
    QTest::mouseClick(dialog->findChild<QPushButton *>("okBtn"), Qt::LeftButton);
    QTRY_VERIFY(w.toggle->isEnabled());
    QVERIFY(!app.config().contains("Mounted"));
    QCOMPARE(app.box.outFiles(), QByteArray());
}

void WindowOperationsTest::closingWhileAMountRunsAbortsItAfterAsking()
{
    AppFolder app;
    // Files only, so that the entry held is one that gets placed.
    for (int i = 0; i < 5; ++i)
        QVERIFY(Tree::file(app.box.modDir("Foo") + QString("/%1.w3x").arg(i), "mod"));
    QVERIFY(Tree::file(app.box.game("3.w3x"), "game 3"));
    const auto before = Tree::snapshot(app.box.gameDir);
    const int threadsBefore = liveThreadCount();
    auto w = std::make_unique<Window>(app);
    QTRY_COMPARE(w->cell("Foo", 2), QString("5 files"));
    w->select("Foo");

    WorkerGate gate;
    QTest::mouseClick(w->toggle, Qt::LeftButton);
    QVERIFY(gate.waitUntilHeld());

    // No: the window and the mount go on.
    ModalAnswerer answers;
    answers.pressInMessageBox("No");
    QVERIFY(!w->window.close());
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Quit?"});
    QCOMPARE(answers.seenTexts, QStringList{"An operation is still running. Abort it and quit?"});
    QVERIFY(w->window.isVisible());

    // Yes: the mount stops at its next check, its result is put on record, then the window goes.
    answers.pressInMessageBox("Yes");
    QVERIFY(!w->window.close());
    QVERIFY(answers.done());
    QVERIFY(w->window.isVisible());
    gate.open();
    QTRY_VERIFY(!w->window.isVisible());
    QVERIFY(app.config().contains("Mounted=Foo\n"));
    QVERIFY(app.config().contains("MountedError=Mounting aborted: 1 files mounted\n"));
    QCOMPARE(w->window.findChildren<FileStatus *>().size(), 0);
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
    w.reset();

    // What it did is on record (one link, and a backup if the game had that file): the next
    // run unmounts it whole.
    QCOMPARE(MountRecords::placedFrom(app.box.outFiles()).size(), size_t(1));
    const int recorded = 1 + app.box.backupFiles().count('\n');
    ConfigStore config(utf8(app.box.appDir));
    Worker unmounter(WorkerPaths::of(config), "Foo");
    WorkerLog log(&unmounter);
    unmounter.unmountModWorker(false);
    QCOMPARE(log.counts(), QString("%1/0/0").arg(recorded));
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
}

void WindowOperationsTest::anOperationThatEndsWhileAskedLetsTheWindowGo()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a.w3x", "mod"));
    const int threadsBefore = liveThreadCount();
    auto w = std::make_unique<Window>(app);
    QTRY_COMPARE(w->cell("Foo", 2), QString("1 files"));
    w->select("Foo");
    auto gate = std::make_unique<WorkerGate>();
    QTest::mouseClick(w->toggle, Qt::LeftButton);
    QVERIFY(gate->waitUntilHeld());

    // A close (a termination request closes too) asks; the mount ends while the question is
    // open: nothing is left to abort, so the question goes by itself and so does the window.
    ModalAnswerer answers;
    QString asked;
    answers.act("QMessageBox", [&](QWidget *box) {
        asked = box->windowTitle();
        gate.reset();
    });
    QVERIFY(w->window.close());
    QCOMPARE(asked, QString("Quit?"));
    QVERIFY(!w->window.isVisible());
    QVERIFY(app.config().contains("Mounted=Foo\n"));
    QVERIFY(!app.config().contains("MountedError"));
    w.reset();
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

void WindowOperationsTest::closingWhileADeleteRunsStopsItAfterAsking()
{
    AppFolder app;
    for (int i = 0; i < 5; ++i)
        QVERIFY(Tree::file(app.box.modDir("Foo") + QString("/%1.w3x").arg(i)));
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");

    WorkerGate gate;
    ModalAnswerer answers;
    answers.pressInMessageBox("Yes");
    w.action("actionDelete")->trigger();
    QVERIFY(gate.waitUntilHeld());
    answers.pressInMessageBox("Yes");
    QVERIFY(!w.window.close());
    QCOMPARE(answers.seenTitles, (QStringList{"Permanently delete Foo?", "Quit?"}));
    gate.open();
    QTRY_VERIFY(!w.window.isVisible());
    // It stopped after the file it was on; the rest of the mod is still there.
    QCOMPARE(entryNames(app.box.modDir("Foo")).size(), 4);
}

void WindowOperationsTest::closingWhileIdleQuitsAndJoinsEveryScan()
{
    AppFolder app;
    for (int mod = 0; mod < 20; ++mod)
        for (int i = 0; i < 200; ++i)
            QVERIFY(Tree::file(app.box.modDir(QString("Mod%1").arg(mod)) + QString("/f%1").arg(i)));
    const int threadsBefore = liveThreadCount();
    Window w(app);
    auto *table = w.window.findChild<ModTable *>();
    QSignalSpy finished(table, &ModTable::scanFinished);
    ModalAnswerer answers;
    answers.pressInMessageBox("Yes"); // would answer a question that must not come
    QVERIFY(w.window.close());
    QVERIFY(!answers.done());
    // The scan was stopped and its threads joined when the window let itself be closed: it
    // hands nothing over any more.
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 0);
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

void WindowOperationsTest::commandsActOnlyOnAHighlightedRow()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("First") + "/a", "a"));
    QVERIFY(Tree::file(app.box.modDir("Second") + "/b", "b"));
    Window w(app);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QTRY_VERIFY(w.shown("First") && w.shown("Second"));
    // With the focus, the list makes a row current without highlighting it.
    QTRY_VERIFY(w.list->hasFocus());
    QVERIFY(w.list->currentRow() >= 0);
    QVERIFY(w.list->selectedItems().isEmpty());
    const QByteArray configBefore = app.config();

    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Select a mod to mount."));
    QCOMPARE(app.config(), configBefore);
    QCOMPARE(entryNames(app.box.gameDir), (QStringList{"Maps", "war3.mpq"}));

    listMountAction(w)->trigger();
    QCOMPARE(w.status->text(), QString("Select a mod to mount."));
    for (const char *name : {"actionDelete", "actionRename"}) {
        w.status->clear();
        w.action(name)->trigger();
        QCOMPARE(w.status->text(), QString("No mod selected."));
    }
    QVERIFY(!w.list->viewport()->findChild<QLineEdit *>());
    QVERIFY(QFileInfo(app.box.modDir("First") + "/a").isFile());
    QVERIFY(QFileInfo(app.box.modDir("Second") + "/b").isFile());
}

void WindowOperationsTest::aSettingsFileThatCannotBeSavedStopsTheCommand()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    const QByteArray configBefore = app.config();
    const auto gameBefore = Tree::snapshot(app.box.gameDir);
    const QString configPath = app.box.appDir + "/config.cfg";
    TestSupport::Immutable locked(configPath);
    RUNEMOUNT_NEEDS_ROOT(locked.ok(), "an unwritable config.cfg (chattr +i)");
    const QString failure = "Failed to save settings: " + QDir::toNativeSeparators(configPath);

    // A mount nobody would remember after a restart does not start.
    w.select("Foo");
    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTexts, QStringList{failure});
    QCOMPARE(w.status->text(), failure);
    QCOMPARE(w.toggle->text(), QString("&Mount"));
    QVERIFY(w.toggle->isEnabled());
    QCOMPARE(app.box.outFiles(), QByteArray("<absent>"));
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(app.box.gameDir)), QString());

    // Settings stays open, and keeps nothing it could not save.
    const QString otherGame = app.box.root + "/other game";
    QVERIFY(Tree::folder(otherGame));
    answers.act("Settings", [&](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("dirEdit")->setText(otherGame);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    answers.pressInMessageBox("OK");
    answers.act("Settings", [](QWidget *dialog) {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    w.action("actionSettings")->trigger();
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts.last(), failure);
    QCOMPARE(w.window.configStore()->get("GamePath"), utf8(app.box.gameDir));
    QCOMPARE(app.config(), configBefore);
}

void WindowOperationsTest::recordsOfAnUnsavedMountAreNeverForgotten()
{
    RUNEMOUNT_NEEDS_LINKS();
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(app.box.modDir("Bar") + "/b.txt", "b"));
    const auto gameBefore = Tree::snapshot(app.box.gameDir);
    // What a mount of Foo leaves while config.cfg does not say so.
    auto leaveRecordsOfFoo = [&] {
        return QFile::rename(app.box.game("war3.mpq"), app.box.game("war3.mpq.oxdbackup")) &&
               Tree::link(app.box.game("war3.mpq"), app.box.modDir("Foo") + "/war3.mpq") &&
               writeFile(app.box.appDir + "/out_files.txt", app.box.game("war3.mpq").toUtf8()) &&
               writeFile(app.box.appDir + "/backup_files.txt",
                         app.box.game("war3.mpq.oxdbackup").toUtf8());
    };
    const QString found = "Found records of a mount that was not saved";

    {
        // Records that appear while the window runs: Mount refuses to write over them.
        Window w(app);
        QTRY_VERIFY(w.shown("Bar"));
        w.select("Bar");
        QVERIFY(leaveRecordsOfFoo());
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QCOMPARE(w.status->text(), QString("Already mounted: Foo"));
        QCOMPARE(w.toggle->text(), QString("Un&mount"));
        QCOMPARE(app.box.outFiles(), app.box.game("war3.mpq").toUtf8());
        QVERIFY(app.config().contains("Mounted=Foo\n"));
        QVERIFY(app.config().contains("MountedError=" + found.toUtf8() + "\n"));
    }
    {
        // At the next start too, without "Mounted": the mod the links lead into is mounted.
        QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                          "GamePath=" + app.box.gameDir.toUtf8() + "\nhideEmptyMods=1\n"));
        Window w(app);
        QCOMPARE(w.toggle->text(), QString("Un&mount"));
        QVERIFY(w.list->item(w.row("Foo"), 0)->toolTip().contains(found));
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
        QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(app.box.gameDir)), QString());
        QVERIFY(!app.config().contains("Mounted"));
    }
    {
        // Records that name no mod (only a game entry set aside) can still be undone.
        QVERIFY(QFile::rename(app.box.game("war3.mpq"), app.box.game("war3.mpq.oxdbackup")));
        QVERIFY(writeFile(app.box.appDir + "/backup_files.txt",
                          app.box.game("war3.mpq.oxdbackup").toUtf8() + "\n"));
        Window w(app);
        QCOMPARE(w.toggle->text(), QString("Un&mount"));
        QVERIFY(app.config().contains("Mounted=Unknown mod\n"));
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QTRY_COMPARE(w.status->text(), QString("Unknown mod unmounted."));
        QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(app.box.gameDir)), QString());
    }
}

void WindowOperationsTest::checkAndRepairOneMountOperationAtATime()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/new.w3x", "mod map"));
    Window w(app);
    QAction *check = w.action("actionCheckMount");
    QAction *repair = w.action("actionRepairMount");
    QCOMPARE(check->text(), QString("&Check Mounted Mod"));
    QCOMPARE(repair->text(), QString("&Repair Mounted Mod"));
    QVERIFY(!check->isEnabled() && !repair->isEnabled()); // nothing mounted
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QTRY_VERIFY(check->isEnabled());

    // While it runs, no mount, unmount or second check starts.
    auto gate = std::make_unique<WorkerGate>();
    check->trigger();
    QVERIFY(gate->waitUntilHeld());
    QCOMPARE(w.status->text(), QString("Checking Foo..."));
    QVERIFY(!check->isEnabled() && !repair->isEnabled());
    QVERIFY(!w.action("actionPreviewMount")->isEnabled());
    QVERIFY(!w.toggle->isEnabled());
    // Closing the window asks first, as for a mount.
    ModalAnswerer answers;
    answers.pressInMessageBox("No");
    w.window.close();
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Quit?"});
    QVERIFY(w.window.isVisible());
    gate.reset();
    QTRY_COMPARE(w.status->text(), QString("Foo matches its records."));
    QTRY_VERIFY(check->isEnabled() && w.toggle->isEnabled());
    QVERIFY(w.action("actionPreviewMount")->isEnabled());

    // A link the game removed: the dialog lists it, and nothing is changed.
    QVERIFY(QFile::remove(app.box.game("Maps/new.w3x")));
    const auto gameBefore = Tree::snapshot(app.box.gameDir);
    const QByteArray configBefore = app.config();
    check->trigger();
    QTRY_COMPARE(w.status->text(),
                 QString("Foo differs from its records. [2 files as mounted, 0 files changed, "
                         "1 files missing]"));
    FileStatus *dialog = nullptr;
    for (FileStatus *shown : w.window.findChildren<FileStatus *>())
        if (shown->windowTitle().startsWith("Checking"))
            dialog = shown;
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QPlainTextEdit *>("detailsTxt")
                ->toPlainText()
                .contains("Missing file: " + app.box.game("Maps/new.w3x")));
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(app.box.gameDir)), QString());
    QCOMPARE(app.config(), configBefore);
    QVERIFY(!w.toggle->isEnabled()); // until the finished dialog is dismissed
    QTest::mouseClick(dialog->findChild<QPushButton *>("okBtn"), Qt::LeftButton);
    QTRY_VERIFY(check->isEnabled() && w.toggle->isEnabled());

    // Repair puts the link back, clears the mount's warnings, and the check agrees.
    w.window.configStore()->set("MountedError", "Mounting failed: 1 files mounted");
    repair->trigger();
    QTRY_COMPARE(w.status->text(), QString("Foo repaired."));
    QVERIFY(isPlaced(app.box.game("Maps/new.w3x"), app.box.modDir("Foo") + "/Maps/new.w3x"));
    QVERIFY(!app.config().contains("MountedError"));
    QVERIFY(app.config().contains("Mounted=Foo\n"));
    QTRY_VERIFY(check->isEnabled());
    check->trigger();
    QTRY_COMPARE(w.status->text(), QString("Foo matches its records."));
}

// A game update replaced a placed file (and a repair may have set it aside since), or the records
// list nothing while config.cfg names the mount: the unmount ends the mount all the same, the
// game keeps its newest files, and every earlier one is put back or listed as kept.
void WindowOperationsTest::aChangedGameFolderNeverKeepsAModMounted_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("repaired"); // the repair's status; empty when none runs
    QTest::addColumn<QString>("unmounted");
    QTest::addColumn<bool>("kept"); // the earlier UnitData.slk is listed as kept

    QTest::newRow("a game update replaced a placed file")
        << "update"
        << ""
        << "Letters unmounted. [3 files unmounted, 1 earlier game files kept]" << true;
    QTest::newRow("repair set the update aside")
        << "update"
        << "Letters repaired. [3 files repaired, 1 game files set aside]"
        << "Letters unmounted. [5 files unmounted, 1 earlier game files kept]" << true;
    QTest::newRow("the records list nothing") << "records lost"
                                              << ""
                                              << "Letters unmounted." << false;
}

void WindowOperationsTest::aChangedGameFolderNeverKeepsAModMounted()
{
    QFETCH(QString, change);
    QFETCH(QString, repaired);
    QFETCH(QString, unmounted);
    QFETCH(bool, kept);
    AppFolder app;
    const QString slk = app.box.game("Units/UnitData.slk");
    QVERIFY(Tree::file(slk, "1.26"));
    for (const char *entry : {"Units/UnitData.slk", "war3.mpq", "Maps/new.w3x"})
        QVERIFY(Tree::file(app.box.modDir("Letters") + "/" + entry, "mod"));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QTRY_VERIFY(w.shown("Letters"));
    w.select("Letters");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Letters mounted."));

    if (change == "update") {
        QVERIFY(QFile::remove(slk));
        QVERIFY(Tree::file(slk, "1.27"));
    } else {
        // An unmount undid everything but could not save config.cfg.
        for (const QString &path : {slk, app.box.game("war3.mpq")})
            QVERIFY(QFile::remove(path) && QFile::rename(path + ".oxdbackup", path));
        QVERIFY(QFile::remove(app.box.game("Maps/new.w3x")));
        QVERIFY(writeFile(app.box.appDir + "/out_files.txt", ""));
        QVERIFY(writeFile(app.box.appDir + "/backup_files.txt", ""));
        QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
    }
    const auto changed = Tree::snapshot(app.box.gameDir);
    if (!repaired.isEmpty()) {
        w.action("actionRepairMount")->trigger();
        QTRY_COMPARE(w.status->text(), repaired);
        QCOMPARE(finishedLines(w, "Repairing"),
                 QStringList{"Set aside the game's newer entry: " + slk + " (it stays as " + slk +
                             ".oxdbackup2)"});
        QTRY_VERIFY(w.toggle->isEnabled());
    }
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), unmounted);
    if (kept) {
        QStringList lines{"Kept the newer game entry: " + slk + " (the earlier one stays as " +
                          slk + ".oxdbackup)"};
        if (repaired.isEmpty())
            lines.prepend("Left the game's newer entry: " + slk);
        QCOMPARE(finishedLines(w, "Unmounting"), lines);
    }
    QTRY_VERIFY(w.toggle->isEnabled());
    QCOMPARE(w.toggle->text(), QString("&Mount"));
    QVERIFY(!app.config().contains("Mounted"));
    QCOMPARE(app.box.outFiles(), QByteArray());
    QCOMPARE(app.box.backupFiles(), QByteArray());
    QCOMPARE(app.box.keptBackups(),
             kept ? (slk + ".oxdbackup\n").toUtf8() : QByteArray("<absent>"));
    QCOMPARE(app.box.unrecordedBackups(before), QStringList());
    if (kept) {
        // The game keeps its newest version; the mod's links are gone.
        auto expected = before;
        expected["Units/UnitData.slk"] = "file:1.27";
        expected["Units/UnitData.slk.oxdbackup"] = "file:1.26";
        QCOMPARE(Tree::difference(expected, Tree::snapshot(app.box.gameDir)), QString());
    } else {
        // Nothing was left to undo: what stands stays.
        QCOMPARE(Tree::difference(changed, Tree::snapshot(app.box.gameDir)), QString());
    }
}

void WindowOperationsTest::mountCommandsWaitForTheGameToClose()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/new.w3x", "mod map"));
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");
    const QString refusal("Close Warcraft III before mounting or unmounting mods.");
    ModalAnswerer answers;
    {
        GameStandIn game(app.box.game("Warcraft III.exe"));
        QVERIFY(game.isRunning());
        const auto before = Tree::snapshot(app.box.gameDir);
        answers.pressInMessageBox("OK");
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QVERIFY(answers.done());
        QCOMPARE(answers.seenTitles, QStringList{"Error"});
        QCOMPARE(answers.seenTexts, QStringList{refusal});
        QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
        QVERIFY(!app.config().contains("Mounted"));
        QVERIFY(w.toggle->isEnabled());
    }

    // Once it is closed the mount goes ahead.
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QTRY_VERIFY(w.toggle->isEnabled());
    {
        // The editor counts as the game. Unmount and repair wait for it; a check only reads.
        GameStandIn editor(app.box.game("World Editor.exe"));
        QVERIFY(editor.isRunning());
        const auto before = Tree::snapshot(app.box.gameDir);
        answers.pressInMessageBox("OK");
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        answers.pressInMessageBox("OK");
        w.action("actionRepairMount")->trigger();
        QVERIFY(answers.done());
        QCOMPARE(answers.seenTexts, (QStringList{refusal, refusal, refusal}));
        QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
        QVERIFY(app.config().contains("Mounted=Foo\n"));
        w.action("actionCheckMount")->trigger();
        QTRY_COMPARE(w.status->text(), QString("Foo matches its records."));
        QTRY_VERIFY(w.toggle->isEnabled());
    }
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
}

void WindowOperationsTest::aWayOfLinkingThatCannotWorkIsAskedOrExplained_data()
{
    QTest::addColumn<bool>("hardLinks"); // chosen in Settings before the mount
    QTest::newRow("symbolic links refused") << false;
    QTest::newRow("hard links from another drive") << true;
}

void WindowOperationsTest::aWayOfLinkingThatCannotWorkIsAskedOrExplained()
{
    QFETCH(bool, hardLinks);
    // A game folder on another drive than the mods folder, where one is at hand.
    QTemporaryDir otherDrive(QStringLiteral("/dev/shm/runemount-XXXXXX"));
    AppFolder app(hardLinks ? "HardLinks=1\n" : "");
    if (hardLinks) {
        if (!otherDrive.isValid() ||
            QStorageInfo(otherDrive.path()).device() == QStorageInfo(app.box.modsDir).device())
            QSKIP("no folder on another drive than the mods folder here");
        QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                          "GamePath=" + otherDrive.path().toUtf8() + "\nHardLinks=1\n"));
    } else if (linksUnavailableReason().isEmpty()) {
        QSKIP("symbolic links can be made here");
    } else {
        QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                          "GamePath=" + app.box.gameDir.toUtf8() + "\n"));
    }
    const QString game = hardLinks ? otherDrive.path() : app.box.gameDir;
    QVERIFY(Tree::file(game + "/war3.mpq", "game mpq"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    const auto before = Tree::snapshot(game);
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");

    ModalAnswerer answers;
    if (hardLinks) {
        // Both ways out are named; nothing is copied instead, nothing changed.
        answers.pressInMessageBox("OK");
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QTRY_VERIFY(answers.done());
        QCOMPARE(answers.seenTitles, QStringList{"Error"});
        QVERIFY(answers.seenTexts.first().startsWith("Hard links cannot reach the game folder"));
        QCOMPARE(Tree::difference(before, Tree::snapshot(game)), QString());
        QVERIFY(!app.config().contains("Mounted"));
        QTRY_VERIFY(w.toggle->isEnabled());
        return;
    }
    // Asked before anything changes, Yes by default; the answer is kept for later mounts.
    answers.pressEnterInMessageBox();
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts,
             QStringList{"Symbolic links are not allowed here. Mount with hard links instead?"});
    QCOMPARE(answers.seenDefaults, QStringList{"Yes"});
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QVERIFY(app.config().contains("HardLinks=1\n"));
    QCOMPARE(readFile(game + "/war3.mpq"), QByteArray("mod mpq"));
    QTRY_VERIFY(w.toggle->isEnabled());
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
    QCOMPARE(Tree::difference(before, Tree::snapshot(game)), QString());
}

QTEST_MAIN(WindowOperationsTest)
#include "tst_windowoperations.moc"
