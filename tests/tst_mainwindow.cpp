#include "backupname.h"
#include "filestatus.h"
#include "gameregistrystandin.h"
#include "mainwindow.h"
#ifndef Q_OS_WIN
#include "memorygameregistry.h"
#endif
#include "modalanswerer.h"
#include "modlistscan.h"
#include "modtable.h"
#include "resultwording.h"
#include "windowfixture.h"
#include "workergate.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace TestSupport;

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { installGameKey(); }

    void listShowsModsAsTheirScansReport();
    void mountAndUnmountWithTheToggleButton();
    void mountedRowShowsStoredValuesAndWarnings();
    void mountRefusals();
    void failedEntriesAreRememberedUntilAnUnmountSucceeds();
    void addByCopyAndByMove();
    void addRefusesWhatWouldHurtBeforeAsking_data();
    void addRefusesWhatWouldHurtBeforeAsking();
    void refreshKeepsTheSelectedModNotItsRow();
    void theClickedColumnSortsTheList();
    void theFilterShowsMatchingModsOnly();
    void renameInPlace();
    void deleteAsksFirst();
    void deleteLeavesWhatItCannotRemoveInSight();
    void settingsApplyOrRefuse();
    void settingsKeepTheGameFolderWhileAModIsMounted();
    void staleScanReportsLeaveTheNewListAlone();
    void manyModsAreScannedOnAFewThreads();
    void previewThenMountFromItsDialog();
    void previewListsWhatTheMountWouldRefuse();
};

void MainWindowTest::listShowsModsAsTheirScansReport()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Big") + "/a.mpq", QByteArray(1048576, 'x')));
    QVERIFY(Tree::file(app.box.modDir("Two") + "/a", "1"));
    QVERIFY(Tree::file(app.box.modDir("Two") + "/sub/b", "2"));
    QVERIFY(Tree::folder(app.box.modDir("Empty") + "/sub"));
    const QString longName = "A mod whose name needs a much wider column than the others";
    QVERIFY(Tree::file(app.box.modDir(longName) + "/x", "x"));
    Window w(app);
    QCOMPARE(w.window.windowTitle(), QString("Runemount"));
    QCOMPARE(w.list->columnCount(), 3);
    QCOMPARE(w.list->horizontalHeaderItem(0)->text(), QString("Mod"));
    QCOMPARE(w.status->text(), QString("Ready."));

    QTRY_VERIFY(w.shown("Big") && w.shown("Two") && w.shown(longName));
    QTRY_COMPARE(w.cell("Two", 2), QString("2 files"));
    QCOMPARE(w.cell("Big", 1), QString("1 MB"));
    QCOMPARE(w.cell("Big", 2), QString("1 files"));
    QCOMPARE(w.list->rowCount(), 4);
    QVERIFY(!w.shown("Empty"));
    // The name column fits the names shown, as fitting it to its contents would.
    QHeaderView *header = w.list->horizontalHeader();
    QTRY_VERIFY(header->sectionSize(0) > header->minimumSectionSize());
    const int fitted = header->sectionSize(0);
    w.list->resizeColumnToContents(0);
    QCOMPARE(header->sectionSize(0), fitted);

    // With empty mods shown, a refresh brings it in.
    w.window.configStore()->set("hideEmptyMods", "0");
    auto *refresh = w.window.findChild<QPushButton *>("refreshBtn");
    QCOMPARE(refresh->shortcut(), QKeySequence(Qt::Key_F5));
    QTest::mouseClick(refresh, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Runemount refreshed."));
    QTRY_VERIFY(w.shown("Empty"));
    QCOMPARE(w.cell("Empty", 1), QString("0 MB"));
}

void MainWindowTest::mountAndUnmountWithTheToggleButton()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/new.w3x", "mod map"));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    QTRY_COMPARE(w.cell("Foo", 2), QString("2 files"));
    w.select("Foo");
    QCOMPARE(w.toggle->text(), QString("&Mount"));

    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QVERIFY(w.status->text() == "Mounting Foo..." || w.status->text() == "Foo mounted.");
    QVERIFY(app.config().contains("Mounted=Foo\nMountedCount=2 files\nMountedSize=0 MB\n"));
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QCOMPARE(w.toggle->text(), QString("Un&mount"));
    QVERIFY(!w.list->isEnabled());
    QVERIFY(w.toggle->isEnabled());
    QCOMPARE(readFile(app.box.game("war3.mpq")), QByteArray("mod mpq"));
    QCOMPARE(readFile(app.box.game("war3.mpq.oxdbackup")), QByteArray("game mpq"));
    QVERIFY(isPlaced(app.box.game("Maps/new.w3x"), app.box.modDir("Foo") + "/Maps/new.w3x"));

    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
    QVERIFY(!app.config().contains("Mounted"));
    QCOMPARE(w.toggle->text(), QString("&Mount"));
    QVERIFY(w.list->isEnabled());
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
    QTRY_VERIFY(w.shown("Foo")); // scanned again as an ordinary mod
}

void MainWindowTest::mountedRowShowsStoredValuesAndWarnings()
{
    AppFolder app("Mounted=Gone\nMountedCount=9 files\nMountedError=a;;a;b\nMountedSize=9 MB\n");
    QVERIFY(Tree::file(app.box.modDir("Other") + "/x", "x"));
    Window w(app);
    // The mounted mod's folder is missing: it comes back empty and stays mounted.
    QVERIFY(QFileInfo(app.box.modDir("Gone")).isDir());
    QVERIFY(w.shown("Gone"));
    QCOMPARE(w.cell("Gone", 1), QString("9 MB"));
    QCOMPARE(w.cell("Gone", 2), QString("9 files"));
    QTableWidgetItem *name = w.list->item(w.row("Gone"), 0);
    QCOMPARE(name->toolTip(), ResultWording::mountedWay(mountsWithHardLinks()) +
                                  "\nReplaces 0 game files.\nWarning:\n(1) a\n(3) b");
    QVERIFY(!name->icon().pixmap(16, 16, QIcon::Disabled).isNull());
    QCOMPARE(w.list->currentRow(), w.row("Gone"));
    QCOMPARE(w.toggle->text(), QString("Un&mount"));
    QVERIFY(w.list->styleSheet().contains("dashed #bcbe00"));

    // Separators only: no warning at all.
    w.window.configStore()->set("MountedError", ";;");
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QCOMPARE(w.list->item(w.row("Gone"), 0)->toolTip(),
             ResultWording::mountedWay(mountsWithHardLinks()) + "\nReplaces 0 game files.");
    QVERIFY(w.list->item(w.row("Gone"), 0)->icon().isNull());
}

void MainWindowTest::mountRefusals()
{
#ifndef Q_OS_WIN
    {
        // A start that found no game folder anywhere says where to choose one (on Windows the
        // usual place is the default).
        AppFolder fresh;
        QVERIFY(TestSupport::writeFile(fresh.box.appDir + "/config.cfg", "hideEmptyMods=1\n"));
        const MemoryGameRegistry nothingInstalled;
        Window w(fresh, nothingInstalled);
        QCOMPARE(w.status->text(), QString("Choose the Warcraft III folder in Settings."));
    }
#endif
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a", "a"));
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    w.list->setCurrentCell(-1, -1);
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Select a mod to mount."));
    QVERIFY(w.toggle->isEnabled() && w.list->isEnabled());

    w.window.configStore()->set("GamePath", (app.box.root + "/no such folder").toStdString());
    w.select("Foo");
    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Error"});
    QCOMPARE(answers.seenTexts, QStringList{"Invalid Warcraft III folder."});
    QCOMPARE(w.status->text(), QString("Invalid Warcraft III folder."));
    QVERIFY(!app.config().contains("Mounted"));
    QVERIFY(w.toggle->isEnabled());

    // A game folder inside the program's own, stored before Settings refused such folders.
    w.window.configStore()->set("GamePath", utf8(app.box.modDir("Foo")));
    answers.pressInMessageBox("OK");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTexts.last(),
             QString("The Warcraft III folder cannot be Runemount's own folder or lie inside it."));
    QVERIFY(!app.config().contains("Mounted"));
    QCOMPARE(readFile(app.box.modDir("Foo") + "/a"), QByteArray("a"));
    QVERIFY(w.toggle->isEnabled());
}

void MainWindowTest::failedEntriesAreRememberedUntilAnUnmountSucceeds()
{
    RUNEMOUNT_NEEDS_LINKS();
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/blocked.w3x", "mod map"));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QTRY_COMPARE(w.cell("Foo", 2), QString("2 files"));
    w.select("Foo");
    {
        Immutable locked(app.box.game("Maps"));
        RUNEMOUNT_NEEDS_ROOT(locked.ok(), "chattr +i");
        QTest::mouseClick(w.toggle, Qt::LeftButton);
        QTRY_COMPARE(w.status->text(), QString("Foo mounted. [1 files mounted, 1 files failed]"));
    }
    QVERIFY(app.config().contains("MountedError=Mounted: 1 files mounted, 1 files failed\n"));
    QCOMPARE(w.list->item(w.row("Foo"), 0)->toolTip(),
             ResultWording::mountedWay(mountsWithHardLinks()) +
                 "\nReplaces 1 game files.\nWarning:\n(1) Mounted: 1 files mounted, 1 files "
                 "failed");
    // The progress dialog shows what went wrong; dismiss it as the user would.
    FileStatus *dialog = w.window.findChild<FileStatus *>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    // Until the finished dialog is dismissed, that mount is still the running one.
    QVERIFY(!w.toggle->isEnabled());
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(w.toggle->isEnabled());

    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
    QVERIFY(!app.config().contains("Mounted"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
}

void MainWindowTest::addByCopyAndByMove()
{
    AppFolder app;
    const QString copySource = app.box.root + "/Downloads/Copied";
    const QString moveSource = app.box.root + "/Downloads/Moved";
    QVERIFY(Tree::file(copySource + "/Maps/a.w3x", "a"));
    QVERIFY(Tree::file(moveSource + "/b/c.txt", "c"));
    Window w(app);
    auto *add = w.window.findChild<QPushButton *>("addModBtn");

    // Enter copies: moving empties the chosen folder and takes a deliberate click.
    ModalAnswerer answers;
    answers.chooseFolder(copySource);
    answers.pressEnterInMessageBox();
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, (QStringList{"Add Mod", "Copy or move?"}));
    QCOMPARE(answers.seenDefaults, QStringList{"Copy"});
    QCOMPARE(answers.seenTexts.last(), "Do you want to copy or move this folder?\n" + copySource);
    QTRY_COMPARE(w.status->text(), QString("Copied added."));
    QCOMPARE(readFile(app.box.modDir("Copied") + "/Maps/a.w3x"), QByteArray("a"));
    QVERIFY(QFileInfo::exists(copySource + "/Maps/a.w3x"));
    QCOMPARE(w.list->currentRow(), w.row("Copied"));

    answers.chooseFolder(moveSource);
    answers.pressInMessageBox("Move");
    QTest::mouseClick(add, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Moved added."));
    QCOMPARE(readFile(app.box.modDir("Moved") + "/b/c.txt"), QByteArray("c"));
    QVERIFY(!QFileInfo::exists(moveSource));
    QVERIFY(QFileInfo(app.box.root + "/Downloads").isDir());

    // Cancelling either question leaves the announcement.
    answers.chooseFolder(QString());
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Adding mod..."));
    answers.chooseFolder(copySource);
    answers.pressInMessageBox("Cancel");
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(w.status->text(), QString("Adding mod..."));

    // A link in the chosen folder is neither followed nor moved: it is named and counted.
    RUNEMOUNT_NEEDS_LINKS();
    const QString linkedSource = app.box.root + "/Downloads/Linked";
    QVERIFY(Tree::file(app.box.root + "/secret.txt", "outside"));
    QVERIFY(Tree::file(linkedSource + "/a.txt", "a"));
    QVERIFY(Tree::link(linkedSource + "/secret", app.box.root + "/secret.txt"));
    answers.chooseFolder(linkedSource);
    answers.pressInMessageBox("Move");
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY(answers.done());
    QTRY_COMPARE(w.status->text(), QString("Linked added. [1 files added, 1 files failed]"));
    FileStatus *dialog = w.window.findChild<FileStatus *>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QPlainTextEdit *>("detailsTxt")
                ->toPlainText()
                .contains("Skipped link: " + linkedSource + "/secret\n"));
    QTest::mouseClick(dialog->findChild<QPushButton *>("okBtn"), Qt::LeftButton);
    QCOMPARE(entryNames(app.box.modDir("Linked")), QStringList{"a.txt"});
    QCOMPARE(Tree::linkTarget(linkedSource + "/secret"), app.box.root + "/secret.txt");
}

void MainWindowTest::addRefusesWhatWouldHurtBeforeAsking_data()
{
    QTest::addColumn<QString>("chosen"); // below the sandbox's root
    QTest::addColumn<QString>("refusal");
    const QString mods =
        "Cannot add this folder: it is the mods folder, lies inside it or holds it.";
    const QString game =
        "Cannot add this folder: it is the Warcraft III folder, lies inside it or holds it.";
    QTest::newRow("the mods folder") << "app/mods" << mods;
    QTest::newRow("a mod") << "app/mods/Foo" << mods;
    QTest::newRow("the program's folder") << "app" << mods;
    QTest::newRow("the game folder") << "Games/Warcraft III" << game;
    QTest::newRow("inside the game folder") << "Games/Warcraft III/Maps" << game;
    QTest::newRow("holding the game folder") << "Games" << game;
    QTest::newRow("a link to the game folder") << "link to game" << game;
    QTest::newRow("a taken name") << "elsewhere/Foo"
                                  << "A mod with that name already exists.";
    // A file in the mods folder would block the new mod's folder as much as a mod.
    QTest::newRow("a name a file takes") << "elsewhere/Bar"
                                         << "A mod with that name already exists.";
}

void MainWindowTest::addRefusesWhatWouldHurtBeforeAsking()
{
    QFETCH(QString, chosen);
    QFETCH(QString, refusal);
    // As it was seen: a mod mounted, and the game folder chosen.
    AppFolder app;
    const QString gameDir = app.box.root + "/Games/Warcraft III";
    QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                      "GamePath=" + gameDir.toUtf8() +
                          "\nMounted=Foo\nMountedCount=1 files\nMountedSize=0 MB\n"));
    QVERIFY(Tree::file(gameDir + "/Maps/keep.w3x", "game map"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a", "a"));
    QVERIFY(Tree::file(app.box.root + "/elsewhere/Foo/b", "b"));
    QVERIFY(Tree::file(app.box.modsDir + "/Bar", "not a mod"));
    QVERIFY(Tree::file(app.box.root + "/elsewhere/Bar/b", "b"));
    if (chosen.startsWith("link")) {
        RUNEMOUNT_NEEDS_LINKS();
        QVERIFY(Tree::link(app.box.root + "/" + chosen, gameDir));
    }
    Window w(app);
    const auto before = Tree::snapshot(app.box.root);

    // A taken name is only known once the question is answered; the rest are refused first.
    const bool asked = !refusal.startsWith("Cannot");
    ModalAnswerer answers;
    answers.chooseFolder(app.box.root + "/" + chosen);
    if (asked)
        answers.pressInMessageBox("Move");
    answers.pressInMessageBox("OK");
    QTest::mouseClick(w.window.findChild<QPushButton *>("addModBtn"), Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, asked ? (QStringList{"Add Mod", "Copy or move?", "Error"})
                                       : (QStringList{"Add Mod", "Error"}));
    QCOMPARE(answers.seenTexts.last(), refusal);
    QCOMPARE(w.status->text(), refusal);
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.root)), QString());
}

void MainWindowTest::refreshKeepsTheSelectedModNotItsRow()
{
    AppFolder app;
    const QStringList mods{"Alpha", "Beta", "Gamma", "Locked"};
    for (const QString &mod : mods)
        QVERIFY(Tree::file(app.box.modDir(mod) + "/a", "a"));
    Window w(app);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QTRY_VERIFY(w.shown("Alpha") && w.shown("Beta") && w.shown("Gamma") && w.shown("Locked"));
    auto selectedMods = [&] {
        QStringList names;
        for (const QModelIndex &index : w.list->selectionModel()->selectedRows())
            names << w.list->item(index.row(), 0)->text();
        return names;
    };

    // Whatever the folder's order, the mods listed before the selected one go away, and new
    // ones come: the selected mod's row moves.
    const QString selected = w.list->item(2, 0)->text();
    w.select(selected);
    QCOMPARE(selectedMods(), QStringList{selected});
    for (int row = 0; row < 2; ++row)
        QVERIFY(QDir(app.box.modDir(w.list->item(row, 0)->text())).removeRecursively());
    QVERIFY(Tree::file(app.box.modDir("Dummy1") + "/a", "a"));
    // (A shortcut clicks its button a moment later.)
    QTest::keyClick(&w.window, Qt::Key_F5);
    QTRY_COMPARE(w.status->text(), QString("Runemount refreshed."));
    QCOMPARE(selectedMods(), QStringList{selected});

    // A selected mod that is gone leaves nothing selected, so Mount acts on no mod.
    QVERIFY(QDir(app.box.modDir(selected)).removeRecursively());
    w.status->clear();
    QTest::keyClick(&w.window, Qt::Key_F5);
    QTRY_COMPARE(w.status->text(), QString("Runemount refreshed."));
    QCOMPARE(selectedMods(), QStringList());
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Select a mod to mount."));
    QVERIFY(!app.config().contains("Mounted"));
}

// A header click sorts by its column, a second one turns the order; the selection stays with its
// mod, an empty mod stays hidden, and the choice outlives the window.
void MainWindowTest::theClickedColumnSortsTheList()
{
    AppFolder app;
    const QMap<QString, int> files{{"mod10", 1}, {"Mod2", 3}, {"beta", 2}};
    for (auto mod = files.cbegin(); mod != files.cend(); ++mod)
        for (int file = 0; file < mod.value(); ++file)
            QVERIFY(Tree::file(app.box.modDir(mod.key()) + QString("/f%1").arg(file), "x"));
    QVERIFY(Tree::folder(app.box.modDir("Empty")));
    auto order = [](const Window &w) {
        QStringList names;
        for (int row = 0; row < w.list->rowCount(); ++row)
            if (!w.list->isRowHidden(row))
                names << w.list->item(row, 0)->text();
        return names;
    };
    {
        Window w(app);
        QTRY_COMPARE(order(w), (QStringList{"beta", "Mod2", "mod10"}));
        w.select("Mod2");
        QHeaderView *header = w.list->horizontalHeader();
        const QPoint filesHeader(header->sectionViewportPosition(2) + 5, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, filesHeader);
        QCOMPARE(order(w), (QStringList{"mod10", "beta", "Mod2"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, filesHeader);
        QCOMPARE(order(w), (QStringList{"Mod2", "beta", "mod10"}));
        QCOMPARE(w.list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(w.list->selectionModel()->selectedRows().first().row(), w.row("Mod2"));
        QVERIFY(!w.shown("Empty"));
    }
    QVERIFY(app.config().contains("SortColumn=Files"));
    Window again(app);
    QTRY_COMPARE(order(again), (QStringList{"Mod2", "beta", "mod10"}));
}

// Only the mods whose name holds the text, in any case; a mod the filter hides is not acted on.
void MainWindowTest::theFilterShowsMatchingModsOnly()
{
    AppFolder app;
    for (const char *mod : {"Alpha", "alphabet", "Beta"})
        QVERIFY(Tree::file(app.box.modDir(mod) + "/a", "a"));
    Window w(app);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QTRY_VERIFY(w.shown("Alpha") && w.shown("alphabet") && w.shown("Beta"));
    w.select("Beta");
    auto *filter = w.window.findChild<QLineEdit *>("filterEdit");
    QTest::keyClick(&w.window, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(filter->hasFocus());
    QTest::keyClicks(filter, "ALP");
    QVERIFY(w.shown("Alpha") && w.shown("alphabet") && !w.shown("Beta"));
    QCOMPARE(w.status->text(), QString("2 of 3 mods"));
    w.action("actionDelete")->trigger();
    QCOMPARE(w.status->text(), QString("No mod selected."));
    QTest::keyClick(filter, Qt::Key_Escape);
    QVERIFY(filter->text().isEmpty());
    QVERIFY(w.shown("Beta"));
}

void MainWindowTest::renameInPlace()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Old") + "/a", "a"));
    QVERIFY(Tree::file(app.box.modDir("Taken") + "/b", "b"));
    const int threadsBefore = liveThreadCount();
    Window w(app);
    QTRY_VERIFY(w.shown("Old") && w.shown("Taken"));

    // The last refresh's scan over first: its rows may move.
    auto startEditing = [&](const QString &name) -> QLineEdit * {
        if (!QTest::qWaitFor(
                [&] {
                    return liveThreadCount() <= threadsBefore && w.shown("Taken") && w.shown(name);
                },
                20000))
            return nullptr;
        const QRect cell = w.list->visualItemRect(w.list->item(w.row(name), 0));
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        for (QLineEdit *editor : w.list->viewport()->findChildren<QLineEdit *>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    };
    auto rename = [&](const QString &from, const QString &to) {
        QLineEdit *editor = startEditing(from);
        if (!editor)
            return false;
        editor->selectAll();
        QTest::keyClicks(editor, to);
        QTest::keyClick(editor, Qt::Key_Return);
        return true;
    };

    QVERIFY(rename("Old", "New"));
    QTRY_COMPARE(w.status->text(), QString("Old renamed to New."));
    QVERIFY(QFileInfo(app.box.modDir("New") + "/a").isFile());
    QCOMPARE(w.list->currentRow(), w.row("New"));

    // Escape ends the rename quietly, and a later change of a cell is not taken for one; a
    // cell that changes while a name is edited does not end the rename either.
    w.status->clear();
    QLineEdit *nameEditor = startEditing("New");
    QVERIFY(nameEditor);
    QTest::keyClick(nameEditor, Qt::Key_Escape);
    w.list->item(w.row("Taken"), 1)->setText("1 MB");
    nameEditor = startEditing("New");
    QVERIFY(nameEditor);
    w.list->item(w.row("Taken"), 2)->setText("7");
    QTest::keyClick(nameEditor, Qt::Key_Return); // unchanged
    QCoreApplication::processEvents(); // a rename's result is said once the editor is done
    QCOMPARE(w.status->text(), QString());
    QCOMPARE(entryNames(app.box.modsDir), (QStringList{"New", "Taken"}));

    QVERIFY(rename("New", "Taken"));
    QTRY_COMPARE(w.status->text(), QString("A mod with that name already exists."));
    QCOMPARE(w.list->currentRow(), w.row("New"));
    QVERIFY(QFileInfo(app.box.modDir("Taken") + "/b").isFile());

    // Only a name the list can show: nothing leaves the mods folder or hides in it.
    for (const QString &bad : {QString(".hidden"), QString("../Escaped"), QString("a/b"),
                               QString("a\\b"), QString(".."), QString(".")}) {
        w.status->clear();
        QVERIFY(rename("New", bad));
        QTRY_COMPARE(w.status->text(),
                     QString("Mod names cannot start with a dot or contain a slash or backslash."));
        QCOMPARE(entryNames(app.box.modsDir), (QStringList{"New", "Taken"}));
    }
    QVERIFY(!QFileInfo::exists(app.box.appDir + "/Escaped"));

    // F2 renames the selected mod, as in a file manager; a change of letter case is a rename
    // also where names match regardless of case.
    QVERIFY(QTest::qWaitFor([&] { return liveThreadCount() <= threadsBefore && w.shown("New"); },
                            20000));
    w.select("New");
    w.list->setFocus();
    QTest::keyClick(w.list, Qt::Key_F2);
    auto *editor = w.list->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "NEW");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(w.status->text(), QString("New renamed to NEW."));
    QCOMPARE(entryNames(app.box.modsDir), (QStringList{"NEW", "Taken"}));
    QCOMPARE(w.list->currentRow(), w.row("NEW"));

    // The longest name a mod may have: its status never widens the window past the screen.
    const QString longest(200, QLatin1Char('W'));
    const int screenWidth = w.window.screen()->availableGeometry().width();
    QVERIFY(rename("NEW", longest));
    const QString said = "NEW renamed to " + longest + ".";
    QTRY_COMPARE(w.status->text(), said);
    QCOMPARE(w.status->toolTip(), said);
    QVERIFY(w.status->fontMetrics().horizontalAdvance(said) > screenWidth);
    // What the window asks for when it is laid out again (shown anew, restored).
    QCoreApplication::processEvents();
    QVERIFY(w.window.sizeHint().width() <= screenWidth);
    QVERIFY(w.window.frameGeometry().width() <= screenWidth);
}

void MainWindowTest::deleteAsksFirst()
{
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a", "abc"));
    // Delete takes hidden files too, so the question counts them.
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/.settings", QByteArray(1048576, 'x')));
    Window w(app);
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");
    w.list->setFocus();

    // Delete and then Enter deletes nothing: No is the default.
    ModalAnswerer answers;
    answers.pressEnterInMessageBox();
    QTest::keyClick(w.list, Qt::Key_Delete);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenDefaults, QStringList{"No"});
    QCOMPARE(answers.seenTitles, QStringList{"Permanently delete Foo?"});
    QCOMPARE(answers.seenTexts,
             QStringList{"Are you sure you want to PERMANENTLY delete Foo (1 MB / 2 files)?"});
    // A delete that started would have its progress dialog by now.
    for (FileStatus *dialog : w.window.findChildren<FileStatus *>())
        QVERIFY(dialog->windowTitle() != "Deleting Foo...");
    QVERIFY(QFileInfo::exists(app.box.modDir("Foo") + "/a"));

    answers.pressInMessageBox("Yes");
    w.action("actionDelete")->trigger();
    QTRY_COMPARE(w.status->text(), QString("Foo deleted."));
    QVERIFY(!QFileInfo::exists(app.box.modDir("Foo")));
    QCOMPARE(w.row("Foo"), -1);
}

// As a normal user, links in folders without write permission go with the rest; a link in a
// folder the user may not change stays, and so does its mod, in sight and not called deleted.
void MainWindowTest::deleteLeavesWhatItCannotRemoveInSight()
{
    RUNEMOUNT_NEEDS_LINKS();
    AppFolder app;
    const QString mod = app.box.modDir("Trap");
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ExeOwner |
                                        QFile::ExeUser | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(Tree::file(mod + "/a.txt", "a"));
    QVERIFY(Tree::link(mod + "/Inner/out", app.box.root + "/outside.txt"));
    QVERIFY(Tree::link(mod + "/Locked/out", app.box.root + "/outside.txt"));
    QVERIFY(Tree::file(app.box.root + "/outside.txt", "keep"));
    for (const QString &folder : {mod + "/Inner", mod})
        QVERIFY(QFile::setPermissions(folder, readOnly));
    NormalUser user(app.box.root, mod + "/Locked");
    if (!user.ok())
        RUNEMOUNT_SKIP("needs root on Linux, to act as a normal user that cannot change a folder");
    Window w(app);
    QTRY_VERIFY(w.shown("Trap"));
    QTRY_COMPARE(w.cell("Trap", 2), QString("3 files"));
    w.select("Trap");

    ModalAnswerer answers;
    answers.pressInMessageBox("Yes");
    w.action("actionDelete")->trigger();
    QTRY_COMPARE(w.status->text(),
                 QString("Failed to delete Trap. [2 files deleted, 2 files failed]"));
    QCOMPARE(entryNames(mod), QStringList{"Locked"});
    QCOMPARE(readFile(app.box.root + "/outside.txt"), QByteArray("keep"));
    // What is left is a link only, and still shown with empty mods hidden.
    QTRY_COMPARE(w.cell("Trap", 2), QString("1 files"));
    QVERIFY(w.shown("Trap"));
}

void MainWindowTest::settingsApplyOrRefuse()
{
    AppFolder app;
    // As a player has it who never chose a way of mounting.
    QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                      "GamePath=" + app.box.gameDir.toUtf8() + "\nhideEmptyMods=1\n"));
    Window w(app);
    const QString newGame = app.box.root + "/other game";
    QVERIFY(Tree::folder(newGame));
    const QByteArray configBefore = app.config();

    // An invalid folder is refused and the dialog stays; Cancel then changes nothing.
    ModalAnswerer answers;
    answers.act("Settings", [&](QWidget *dialog) {
        QCOMPARE(dialog->findChild<QLineEdit *>("dirEdit")->text(),
                 QDir::toNativeSeparators(app.box.gameDir));
        QVERIFY(dialog->findChild<QCheckBox *>("hideEmptyCbx")->isChecked());
        dialog->findChild<QLineEdit *>("dirEdit")->setText(app.box.root + "/nowhere");
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    answers.pressInMessageBox("OK");
    // Nor is the program's own folder, or any folder in it: a mod would be mounted onto itself.
    QVERIFY(Tree::file(app.box.modDir("SelfMod") + "/a", "a"));
    const QStringList ownFolders{app.box.appDir, app.box.modsDir, app.box.modDir("SelfMod"),
                                 app.box.modDir("SelfMod") + "/../SelfMod"};
    for (const QString &own : ownFolders) {
        answers.act("Settings", [own](QWidget *dialog) {
            dialog->findChild<QLineEdit *>("dirEdit")->setText(own);
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
        });
        answers.pressInMessageBox("OK");
    }
    answers.act("Settings", [](QWidget *dialog) {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    w.action("actionSettings")->trigger();
    QTRY_VERIFY(answers.done());
    QStringList refusals{"Warcraft III Folder: invalid folder."};
    for (int i = 0; i < ownFolders.size(); ++i)
        refusals << "The Warcraft III folder cannot be Runemount's own folder or lie inside it.";
    QCOMPARE(answers.seenTexts, refusals);
    QCOMPARE(answers.seenTitles.size(), refusals.size());
    QCOMPARE(answers.seenTitles.filter("Error").size(), refusals.size());
    QCOMPARE(app.config(), configBefore);

    // A game folder that holds the program's folder is a player's choice.
    answers.act("Settings", [&](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("dirEdit")->setText(app.box.root);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    w.action("actionSettings")->trigger();
    QVERIFY(answers.done());
    QCOMPARE(w.status->text(), QString("Settings saved."));
    QVERIFY(app.config().startsWith("GamePath=" + app.box.root.toUtf8() + "\n"));

    answers.act("Settings", [&](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("dirEdit")->setText(newGame);
        dialog->findChild<QCheckBox *>("hideEmptyCbx")->setChecked(false);
        QCheckBox *hardLinks = dialog->findChild<QCheckBox *>("hardLinksCbx");
        QVERIFY(hardLinks->isEnabled() && !hardLinks->isChecked());
        hardLinks->setChecked(true);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    w.action("actionSettings")->trigger();
    QVERIFY(answers.done());
    QCOMPARE(w.status->text(), QString("Settings saved."));
    QCOMPARE(app.config(), "GamePath=" + newGame.toUtf8() + "\nHardLinks=1\nhideEmptyMods=0\n");

    // Off again: the key goes, as for a player who never turned it on.
    answers.act("Settings", [&](QWidget *dialog) {
        QCheckBox *hardLinks = dialog->findChild<QCheckBox *>("hardLinksCbx");
        QVERIFY(hardLinks->isChecked());
        hardLinks->setChecked(false);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    w.action("actionSettings")->trigger();
    QVERIFY(answers.done());
    QCOMPARE(app.config(), "GamePath=" + newGame.toUtf8() + "\nhideEmptyMods=0\n");
}

void MainWindowTest::settingsKeepTheGameFolderWhileAModIsMounted()
{
    AppFolder app("Mounted=Foo\nMountedCount=1 files\nMountedSize=0 MB\n");
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a", "a"));
    const QString otherGame = app.box.root + "/other game";
    QVERIFY(Tree::folder(otherGame));
    Window w(app);
    const QByteArray configBefore = app.config();

    ModalAnswerer answers;
    QString shownAfterRefusal;
    answers.act("Settings", [&](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("dirEdit")->setText(otherGame);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    answers.pressInMessageBox("OK");
    answers.act("Settings", [&](QWidget *dialog) {
        shownAfterRefusal = dialog->findChild<QLineEdit *>("dirEdit")->text();
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    w.action("actionSettings")->trigger();
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Error"});
    QCOMPARE(answers.seenTexts,
             QStringList{"Unmount Foo before changing the Warcraft III folder."});
    QCOMPARE(shownAfterRefusal, otherGame);
    QCOMPARE(app.config(), configBefore);

    // The same folder, even typed with a slash more, lets the other setting through; the way of
    // mounting stays what the mount was made with.
    answers.act("Settings", [&](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("dirEdit")->setText(app.box.gameDir + "/");
        dialog->findChild<QCheckBox *>("hideEmptyCbx")->setChecked(false);
        QCheckBox *hardLinks = dialog->findChild<QCheckBox *>("hardLinksCbx");
        QVERIFY(!hardLinks->isEnabled());
        QVERIFY(hardLinks->toolTip().contains("Unmount Foo"));
        hardLinks->setChecked(true);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply)->click();
    });
    w.action("actionSettings")->trigger();
    QVERIFY(answers.done());
    QCOMPARE(w.status->text(), QString("Settings saved."));
    QVERIFY(app.config().contains("hideEmptyMods=0\n"));
    QVERIFY(app.config().contains("Mounted=Foo\n"));
    QCOMPARE(app.config().contains("HardLinks=1\n"), mountsWithHardLinks());
}

void MainWindowTest::staleScanReportsLeaveTheNewListAlone()
{
#ifdef Q_OS_WIN
    RUNEMOUNT_SKIP(
        "Windows neither renames a folder while a scan lists it nor hides dot-named folders");
#endif
    AppFolder app;
    const int threadsBefore = liveThreadCount();
    // Big mods report thousands of times. Once they are out of the list, their reports must
    // not land on the mod that moves up into their rows.
    const QStringList big{"A1", "A2", "A3", "A4"};
    for (const QString &mod : big)
        for (int i = 0; i < 1500; ++i)
            QVERIFY(Tree::file(app.box.modDir(mod) + QString("/f%1").arg(i), "x"));
    QVERIFY(Tree::file(app.box.modDir("B") + "/only", "x"));
    Window w(app);
    for (const QString &mod : big) // hidden folders are not listed
        QVERIFY(QDir(app.box.modsDir).rename(mod, "." + mod));
    for (int i = 0; i < 5; ++i) // F5 held down
        QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QCOMPARE(w.list->rowCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(w.cell("B", 2), QString("1 files"), 30000);
    QVERIFY(w.shown("B"));
    QTRY_VERIFY_WITH_TIMEOUT(liveThreadCount() <= threadsBefore, 30000);
}

void MainWindowTest::manyModsAreScannedOnAFewThreads()
{
    AppFolder app;
    const int mods = 300;
    for (int mod = 0; mod < mods; ++mod)
        for (int file = 0; file <= mod % 3; ++file)
            QVERIFY(Tree::file(app.box.modDir(QString("Mod%1").arg(mod, 3, 10, QChar('0'))) +
                                   QString("/f%1").arg(file),
                               "x"));
    const int threadsBefore = liveThreadCount();
    {
        // Closed while its first scan runs: the scan's threads end with the window.
        Window closed(app);
    }
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
    Window w(app);
    auto *table = w.window.findChild<ModTable *>();
    QSignalSpy finished(table, &ModTable::scanFinished);
    int mostThreads = 0;
    connect(table, &ModTable::rowsChanged,
            [&mostThreads] { mostThreads = std::max(mostThreads, liveThreadCount()); });
    // A refresh while the first list is still being scanned: its scan stops first.
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QCOMPARE(w.list->rowCount(), mods);
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.size(), 1);
    // A few threads for the whole list, not one for each mod; the abandoned scan's may linger.
    QVERIFY(mostThreads - threadsBefore <= 2 * ModListScan::threadLimit());
    for (int row = 0; row < mods; ++row) {
        const QString name = w.list->item(row, 0)->text();
        const int files = name.mid(3).toInt() % 3 + 1;
        QVERIFY2(w.shown(name), qPrintable(name));
        QCOMPARE(w.cell(name, 2), QString("%1 files").arg(files));
    }
    QTRY_VERIFY(liveThreadCount() <= threadsBefore);
}

namespace
{

QDialog *shownPreview(Window &w)
{
    auto *dialog = w.window.findChild<QDialog *>("previewDialog");
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

QStringList pathsIn(QDialog *dialog, const char *view)
{
    const QAbstractItemModel *model = dialog->findChild<QAbstractItemView *>(view)->model();
    QStringList paths;
    for (int row = 0; row < model->rowCount(); ++row)
        paths << model->index(row, 0).data().toString();
    return paths;
}

} // namespace

void MainWindowTest::previewThenMountFromItsDialog()
{
    AppFolder app; // the game holds war3.mpq and Maps/keep.w3x
    const QString mod = app.box.modDir("Foo");
    QVERIFY(Tree::file(mod + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(mod + "/Maps/keep.w3x", "mod map"));
    QVERIFY(Tree::file(mod + "/Maps/new.w3x", "new map"));
    QVERIFY(Tree::file(mod + "/Movies/intro.mp4", QByteArray(3 * 512 * 1024, 'm')));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QTRY_COMPARE(w.cell("Foo", 2), QString("4 files"));
    w.select("Foo");
    QAction *preview = w.action("actionPreviewMount");
    const QList<QAction *> listMenu = w.list->actions();
    QVERIFY(listMenu.indexOf(preview) > 0);
    QCOMPARE(listMenu.at(listMenu.indexOf(preview) - 1)->text(), QString("Mount"));

    preview->trigger();
    QDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = shownPreview(w)));
    QTRY_COMPARE(w.status->text(), QString("Foo previewed."));
    QCOMPARE(dialog->findChild<QLabel *>("summaryLbl")->text(),
             QString("Foo replaces 2 game files (0 MB) and adds 2 (1.5 MB)."));
    QCOMPARE(pathsIn(dialog, "replacedView"), (QStringList{"Maps/keep.w3x", "war3.mpq"}));
    auto *addedView = dialog->findChild<QAbstractItemView *>("addedView");
    QVERIFY(!addedView->isVisible());
    QTest::mouseClick(dialog->findChild<QToolButton *>("addedBtn"), Qt::LeftButton);
    QVERIFY(addedView->isVisible());
    QCOMPARE(addedView->model()->rowCount(), 2);
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());

    // Mount mounts what was previewed, as the Mount button does, and sets aside what it said.
    QTest::mouseClick(dialog->findChild<QPushButton *>("mountBtn"), Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QVERIFY(!dialog->isVisible());
    QVERIFY(app.config().contains("Mounted=Foo\nMountedCount=4 files\nMountedSize=1.5 MB\n"));
    QStringList setAside;
    for (const QByteArray &line : readText(app.box.appDir + "/backup_files.txt").split('\n'))
        if (!line.isEmpty())
            setAside
                << BackupName::restorePath(QString::fromUtf8(line)).mid(app.box.gameDir.size() + 1);
    setAside.sort();
    QCOMPARE(setAside, (QStringList{"Maps/keep.w3x", "war3.mpq"}));
    // Without a refresh: a clean mount leaves the rows as they are, but not the row unmarked.
    QVERIFY(w.list->item(w.row("Foo"), 0)->toolTip().contains("\nReplaces 2 game files."));

    // The mounted mod's preview is what its records say was set aside; it mounts nothing.
    QTRY_VERIFY(preview->isEnabled());
    preview->trigger();
    QTRY_VERIFY(shownPreview(w));
    QCOMPARE(dialog->findChild<QLabel *>("summaryLbl")->text(),
             QString("Foo is mounted and replaces 2 game files (0 MB)."));
    QCOMPARE(pathsIn(dialog, "replacedView"), setAside);
    QVERIFY(!dialog->findChild<QPushButton *>("mountBtn")->isEnabled());
    QTest::mouseClick(dialog->findChild<QPushButton *>("closeBtn"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

void MainWindowTest::previewListsWhatTheMountWouldRefuse()
{
#ifdef Q_OS_WIN
    RUNEMOUNT_SKIP("Windows holds no two names that differ only in case");
#else
    AppFolder app;
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a.txt", "a"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/A.TXT", "A"));
    const auto before = Tree::snapshot(app.box.gameDir);
    Window w(app);
    QTRY_COMPARE(w.cell("Foo", 2), QString("2 files"));
    w.select("Foo");
    w.action("actionPreviewMount")->trigger();
    QDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = shownPreview(w)));
    QVERIFY(dialog->findChild<QLabel *>("summaryLbl")
                ->text()
                .endsWith("adds 1 (0 MB). 1 entries cannot be placed."));
    const QStringList refused = pathsIn(dialog, "refusedView");
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused[0].startsWith(
                 "Another entry of the mod has the same name: " + app.box.modDir("Foo") + "/"),
             qPrintable(refused[0]));

    // Close does nothing more.
    QTest::mouseClick(dialog->findChild<QPushButton *>("closeBtn"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.box.gameDir)), QString());
    QVERIFY(!app.config().contains("Mounted"));
#endif
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
