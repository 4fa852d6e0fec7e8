#include "fakewine.h"
#include "gameregistrystandin.h"
#include "modalanswerer.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace
{

bool sameIcon(const QIcon &shown, const char *resource)
{
    return shown.pixmap(32, 32).toImage() == QIcon(resource).pixmap(32, 32).toImage();
}

} // namespace

class GameOptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { installGameKey(); }

    void optionsFollowTheRegistryAndSwitchTheIcons();
    void refusedWritesShowErrorsAndSetTheBoxesBack();
    void theWindowNeverWaitsForWine();
    void launchStartsTheGameOrSaysWhyNot();
    void aboutIsOneFixedModelessDialog();
};

void GameOptionsTest::optionsFollowTheRegistryAndSwitchTheIcons()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    AppFolder app("Mounted=Foo\nMountedCount=1 files\nMountedSize=0 MB\n");
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/a", "a"));
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 1);
    // Reading the options at start writes nothing back: a write would fail here and say so.
    GameRegistryStandIn::setWritesFail(true);
    std::unique_ptr<Window> window;
    {
        ModalAnswerer guard;
        guard.pressInMessageBox("OK");
        window = std::make_unique<Window>(app);
        QCoreApplication::processEvents(); // a read-back after a write is queued
        QCOMPARE(guard.seenTexts, QStringList());
    }
    GameRegistryStandIn::setWritesFail(false);
    Window &w = *window;
    auto *allow = w.window.findChild<QCheckBox *>("allowFilesCbx");
    auto *expansion = w.window.findChild<QCheckBox *>("gameVersionCbx");
    auto *game = w.window.findChild<QPushButton *>("gameBtn");
    auto *editor = w.window.findChild<QPushButton *>("editorBtn");
    QVERIFY(allow->isChecked() && !expansion->isChecked());
    QVERIFY(sameIcon(game->icon(), ":/icons/war3_mod.png"));
    QVERIFY(sameIcon(editor->icon(), ":/icons/worldedit_mod.png"));

    QTest::mouseClick(expansion, Qt::LeftButton);
    QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"), 1);
    QCOMPARE(w.status->text(), QString("Expansion enabled."));
    QVERIFY(sameIcon(game->icon(), ":/icons/war3x_mod.png"));

    // Without local files the mounted mod is not in play: plain icons.
    QTest::mouseClick(allow, Qt::LeftButton);
    QCOMPARE(GameRegistryStandIn::gameDword(L"Allow Local Files"), 0);
    QCOMPARE(w.status->text(), QString("Allow Local Files disabled."));
    QVERIFY(sameIcon(game->icon(), ":/icons/war3x.png"));
    QVERIFY(sameIcon(editor->icon(), ":/icons/worldedit.png"));

    QTest::mouseClick(expansion, Qt::LeftButton);
    QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"), 0);
    QCOMPARE(w.status->text(), QString("Expansion disabled."));
    QVERIFY(sameIcon(game->icon(), ":/icons/war3.png"));

    // A change made outside shows with the next refresh (which writes the same value back).
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 1);
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QVERIFY(allow->isChecked());
    QCOMPARE(GameRegistryStandIn::gameDword(L"Allow Local Files"), 1);
    QCOMPARE(w.status->text(), QString("Runemount refreshed."));
    QVERIFY(sameIcon(editor->icon(), ":/icons/worldedit_mod.png"));
}

void GameOptionsTest::refusedWritesShowErrorsAndSetTheBoxesBack()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    AppFolder app;
    Window w(app);
    auto *allow = w.window.findChild<QCheckBox *>("allowFilesCbx");
    auto *expansion = w.window.findChild<QCheckBox *>("gameVersionCbx");

    // The key can be read but not written: the box goes back to the stored value, which runs
    // the setter once more; that write fails too, hence a second box.
    GameRegistryStandIn::setWritesFail(true);
    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    answers.pressInMessageBox("OK");
    QTest::mouseClick(expansion, Qt::LeftButton);
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts, (QStringList{"Failed to set Preferred Game Version.",
                                             "Failed to set Preferred Game Version."}));
    QCOMPARE(answers.seenTitles, (QStringList{"Error", "Error"}));
    QTRY_VERIFY(!expansion->isChecked());

    // The box was set back for real: the next click is noticed and written.
    GameRegistryStandIn::setWritesFail(false);
    QTest::mouseClick(expansion, Qt::LeftButton);
    QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"), 1);
    QTest::mouseClick(expansion, Qt::LeftButton);
    QCOMPARE(GameRegistryStandIn::gameDword(L"Preferred Game Version"), 0);

    // No key at all: one error box, and the box shows no value the registry does not hold;
    // unticking it writes nothing, so no second box.
    GameRegistryStandIn::removeGameKey();
    answers.pressInMessageBox("OK");
    QTest::mouseClick(allow, Qt::LeftButton);
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts.last(), QString("Failed to set Allow Local Files."));
    QTRY_COMPARE(w.status->text(), QString("Failed to get Allow Local Files setting."));
    QVERIFY(!allow->isChecked());
    QVERIFY(!GameRegistryStandIn::hasGameKey());

    // The key goes away while both boxes are ticked: Refresh unticks them, quietly.
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 1);
    GameRegistryStandIn::setGameDword(L"Preferred Game Version", 1);
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QVERIFY(allow->isChecked() && expansion->isChecked());
    GameRegistryStandIn::removeGameKey();
    answers.pressInMessageBox("OK"); // would close an error box, which must not come
    QTest::mouseClick(w.window.findChild<QPushButton *>("refreshBtn"), Qt::LeftButton);
    QVERIFY(!allow->isChecked() && !expansion->isChecked());
    QCOMPARE(w.status->text(), QString("Runemount refreshed."));
    QVERIFY(!answers.done());
    QVERIFY(!GameRegistryStandIn::hasGameKey());
}

void GameOptionsTest::theWindowNeverWaitsForWine()
{
#ifdef Q_OS_WIN
    RUNEMOUNT_SKIP("Windows' registry never waits for another process");
#else
    // As with a Wine server holding the prefix's registry: each call may take a second.
    GameRegistryStandIn::setThroughWine(true);
    AppFolder app;
    Window w(app);
    auto *allow = w.window.findChild<QCheckBox *>("allowFilesCbx");
    auto *expansion = w.window.findChild<QCheckBox *>("gameVersionCbx");
    auto *refresh = w.window.findChild<QPushButton *>("refreshBtn");
    QTRY_VERIFY(allow->isEnabled() && expansion->isEnabled());

    // Refresh ends at once; the box shows what was last read and cannot be switched until
    // Wine has answered.
    GameRegistryStandIn::setGameDword(L"Preferred Game Version", 1);
    GameRegistryStandIn::holdCalls(true);
    QTest::mouseClick(refresh, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Runemount refreshed."));
    QVERIFY(!expansion->isEnabled() && !expansion->isChecked());
    QTRY_COMPARE(GameRegistryStandIn::callsHeld(), 1);
    QTest::mouseClick(expansion, Qt::LeftButton);
    QVERIFY(!expansion->isChecked());
    GameRegistryStandIn::holdCalls(false);
    QTRY_VERIFY(expansion->isEnabled() && expansion->isChecked());

    // A write: its status comes once Wine has done it.
    QTRY_VERIFY(allow->isEnabled());
    GameRegistryStandIn::holdCalls(true);
    QTest::mouseClick(allow, Qt::LeftButton);
    QVERIFY(!allow->isEnabled());
    QTRY_COMPARE(GameRegistryStandIn::callsHeld(), 1);
    QVERIFY(w.status->text() != "Allow Local Files enabled.");
    QCOMPARE(GameRegistryStandIn::gameDword(L"Allow Local Files"), 0);
    GameRegistryStandIn::holdCalls(false);
    QTRY_COMPARE(w.status->text(), QString("Allow Local Files enabled."));
    QCOMPARE(GameRegistryStandIn::gameDword(L"Allow Local Files"), 1);
    QTRY_VERIFY(allow->isEnabled() && allow->isChecked());

    // A write Wine refuses: the error box, and the box set back from what is stored.
    GameRegistryStandIn::setWritesFail(true);
    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    answers.pressInMessageBox("OK");
    QTest::mouseClick(allow, Qt::LeftButton);
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts.first(), QString("Failed to set Allow Local Files."));
    QTRY_VERIFY(allow->isEnabled() && allow->isChecked());
    GameRegistryStandIn::setWritesFail(false);
    GameRegistryStandIn::setThroughWine(false);
#endif
}

void GameOptionsTest::launchStartsTheGameOrSaysWhyNot()
{
#ifdef Q_OS_WIN
    RUNEMOUNT_SKIP(
        "on Windows the desktop opens the game, which the offscreen platform of the tests "
        "cannot do");
#endif
    AppFolder app;
    QVERIFY(Tree::file(app.box.game("Warcraft III.exe"), "MZ"));
    Window w(app);
    auto *game = w.window.findChild<QPushButton *>("gameBtn");
    auto *editor = w.window.findChild<QPushButton *>("editorBtn");
    {
        FakeWine wine;
        QTest::mouseClick(game, Qt::LeftButton);
        QCOMPARE(w.status->text(), QString("Game launched."));
        QTRY_VERIFY(QFile::exists(wine.startedFile()));
        // Outside any Wine prefix the game gets no prefix of its own.
        QCOMPARE(wine.started(), qgetenv("WINEPREFIX") + "|" + app.box.gameDir.toUtf8() + "|" +
                                     app.box.game("Warcraft III.exe").toUtf8());

        // The editor is missing from this game folder: a failure, never a false success.
        ModalAnswerer answers;
        answers.pressInMessageBox("OK");
        QTest::mouseClick(editor, Qt::LeftButton);
        QTRY_VERIFY(answers.done());
        QCOMPARE(answers.seenTexts, QStringList{"Failed to launch World Editor.exe"});
        QCOMPARE(w.status->text(), QString("Failed to launch World Editor.exe"));
    }
    // Nothing to run the game with. Debian's wine64 is found off the PATH too, and would run
    // this fake game for real.
    if (QFileInfo::exists("/usr/lib/wine/wine64"))
        RUNEMOUNT_SKIP(
            "Debian's wine64 is installed, so there is always a Wine to run the game with");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    QTest::mouseClick(game, Qt::LeftButton);
    QTRY_VERIFY(answers.done());
    qputenv("PATH", path);
    QCOMPARE(answers.seenTexts, QStringList{"Failed to launch Warcraft III.exe"});
}

void GameOptionsTest::aboutIsOneFixedModelessDialog()
{
    AppFolder app;
    Window w(app);
    QAction *about = w.action("actionAbout");
    about->trigger();
    about->trigger();
    const QList<QDialog *> dialogs = w.window.findChildren<QDialog *>("About");
    QCOMPARE(dialogs.size(), 1);
    QDialog *dialog = dialogs.first();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QString("About"));
    QCOMPARE(dialog->size(), QSize(373, 140));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(dialog->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    QVERIFY(dialog->findChild<QLabel *>("titleLbl")->styleSheet().contains(":/img/logo.png"));
    QVERIFY(dialog->findChild<QLabel *>("versionLbl")->styleSheet().contains(":/img/version.png"));
    // Each line as tall as its font needs: nothing of "runemount.org" is cut off.
    for (const char *name : {"downloadLbl", "sourceLbl", "depotLbl", "forgeLbl"}) {
        auto *label = dialog->findChild<QLabel *>(name);
        QVERIFY(label->maximumHeight() >= 20);
        QVERIFY2(label->height() >= label->sizeHint().height(), name);
    }
    for (const char *name : {"depotLbl", "forgeLbl"}) {
        auto *link = dialog->findChild<QLabel *>(name);
        QVERIFY(link->openExternalLinks());
        QVERIFY(link->toolTip().startsWith("https://"));
        QVERIFY(link->text().contains("href=\"" + link->toolTip() + "\""));
    }
    // The main window stays usable, and Close only hides the dialog.
    QVERIFY(w.toggle->isEnabled());
    QTest::mouseClick(dialog->findChild<QPushButton *>("closeBtn"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    about->trigger();
    QVERIFY(dialog->isVisible());
    QCOMPARE(w.window.findChildren<QDialog *>("About").size(), 1);
}

QTEST_MAIN(GameOptionsTest)
#include "tst_gameoptions.moc"
