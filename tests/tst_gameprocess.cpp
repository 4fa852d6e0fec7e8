#include "gameprocess.h"
#include "gamestandin.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class GameProcessTest : public QObject
{
    Q_OBJECT

private slots:
    void findsTheGameOfItsFolderOnly_data();
    void findsTheGameOfItsFolderOnly();
};

void GameProcessTest::findsTheGameOfItsFolderOnly_data()
{
    // Programs are given relative to the game folder; "C:" is the drive_c of the game's prefix.
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("running");

    QTest::newRow("only another program runs") << QString() << QStringList() << false;
    QTest::newRow("the game") << "Warcraft III.exe" << QStringList() << true;
    QTest::newRow("its editor") << "World Editor.exe" << QStringList() << true;
    QTest::newRow("another program of the game folder")
        << "Frozen Throne.exe" << QStringList() << false;
    QTest::newRow("the game of another folder")
        << "../other/Warcraft III.exe" << QStringList() << false;
#ifndef Q_OS_WIN
    // Off Windows a command line names the game, by its path here or by its Windows path in
    // the prefix, as Wine shows it.
    QTest::newRow("named by its path") << QString() << QStringList{"@/Warcraft III.exe"} << true;
    QTest::newRow("named by its Windows path")
        << QString() << QStringList{"C:\\Games\\Warcraft III\\Warcraft III.exe"} << true;
    QTest::newRow("named by its Windows path in other case")
        << QString() << QStringList{"c:/games/WARCRAFT III/world editor.EXE"} << true;
    QTest::newRow("a Windows path elsewhere")
        << QString() << QStringList{"C:\\Games\\Warcraft III.exe"} << false;
    QTest::newRow("a name only") << QString() << QStringList{"Warcraft III.exe"} << false;
#endif
}

void GameProcessTest::findsTheGameOfItsFolderOnly()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(bool, running);

    // The game folder inside a Wine prefix, where Wine finds it as C:\Games\Warcraft III.
    Sandbox box;
    QVERIFY(box.isValid());
    const QString prefix = box.root + "/prefix";
    const QString game = prefix + "/drive_c/Games/Warcraft III";
    QVERIFY(QDir().mkpath(game));
    QVERIFY(QDir().mkpath(box.root + "/prefix/drive_c/Games/other"));
#ifndef Q_OS_WIN
    QVERIFY(QDir().mkpath(prefix + "/dosdevices"));
    QVERIFY(QFile::link("../drive_c", prefix + "/dosdevices/c:"));
    QVERIFY(TestSupport::writeFile(prefix + "/system.reg", "WINE REGISTRY Version 2\n"));
#endif
    for (QString &argument : arguments)
        argument.replace("@", game);

    GameStandIn standIn(program.isEmpty() ? QString() : game + "/" + program, arguments);
    QVERIFY(standIn.isRunning());
    QCOMPARE(GameProcess::runsFrom(game), running);
}

QTEST_GUILESS_MAIN(GameProcessTest)
#include "tst_gameprocess.moc"
