#include "configstore.h"
#include "fakewine.h"
#include "gameregistry.h"
#include "utf8.h"
#include "windowfixture.h"
#include "wineprefix.h"
#include "wineregistryfile.h"

#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace
{

const QString wine64 = "/usr/lib/wine/wine64";
const QString wineserver = "/usr/lib/wine/wineserver";
const QString gameKeyForReg = "HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III";

// The game folder as a player named it, below drive C.
const QString gameFolderName = QString::fromUtf8("Spiele/J\u00fcrgen \u9b54\u517d\u4e89\u9738 "
                                                 "\U0001F3AE/Warcraft III");

QByteArray utf16Bytes(const QString &text)
{
    QByteArray bytes("\xff\xfe"); // little-endian, as regedit writes it
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xff);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

// Runs a program of Wine's for the test's prefix; its standard output.
QByteArray runWine(const QString &program, const QStringList &arguments, bool *ok = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    if (ok)
        *ok = ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

// What Wine itself reads for a DWORD of the game's key: "0x1", or empty.
QByteArray wineReads(const QString &name)
{
    const QByteArray output = runWine(wine64, {"reg", "query", gameKeyForReg, "/v", name});
    const int type = output.indexOf("REG_DWORD");
    return type < 0 ? QByteArray() : output.mid(type + 9).trimmed();
}

void stopServer()
{
    runWine(wineserver, {"-k"});
    runWine(wineserver, {"-w"});
}

} // namespace

// The game's options and folder in a real Wine prefix, made once for this test program in a
// home folder of its own.
class WinePrefixTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void registryTextChangesOnlyTheValueWritten();
    void readsWhatWineWrote();
    void gameFolderDefaultIsAFolderOfThePrefix();
    void writeWithTheServerStoppedIsWhatWineReads();
    void writeWhileTheServerRunsSurvivesItsSave();
    void missingKeyIsNeitherWrittenNorCreated();
    void windowSwitchesTheOptionsAndLaunchesInThePrefix();

private:
    QTemporaryDir home;
    QString prefix;
    QString gameFolder;
    std::string folder; // the game folder as the registry takes it
    const std::unique_ptr<GameRegistry> registry = GameRegistry::system();
    QByteArray pristineUserReg;
};

void WinePrefixTest::initTestCase()
{
    if (!QFileInfo(wine64).isExecutable())
        RUNEMOUNT_SKIP("needs Wine (Debian's wine64) to make a prefix");
    QVERIFY(home.isValid());
    prefix = home.path() + "/.wine";
    qputenv("HOME", home.path().toUtf8());
    qputenv("WINEPREFIX", prefix.toUtf8());
    qputenv("WINEDEBUG", "-all");

    const QString windowsGameFolder = "C:\\" + QString(gameFolderName).replace('/', '\\');
    QString escapedFolder = windowsGameFolder;
    escapedFolder.replace("\\", "\\\\");
    const QString import = "Windows Registry Editor Version 5.00\r\n\r\n[" + gameKeyForReg +
                           "]\r\n"
                           "\"Allow Local Files\"=dword:00000001\r\n"
                           "\"Preferred Game Version\"=dword:00000000\r\n"
                           "\"Two\"=dword:00000002\r\n"
                           "\"All Bits\"=dword:ffffffff\r\n"
                           "\"GamePath\"=\"" +
                           escapedFolder +
                           "\"\r\n"
                           "\"InstallPath\"=\"Q:\\\\Nowhere\"\r\n"
                           "\"Limit\"=\"" +
                           QString(511, 'b') +
                           "\"\r\n"
                           "\"Long\"=\"" +
                           QString(600, 'a') + "\"\r\n";
    QVERIFY(writeFile(home.path() + "/game.reg", utf16Bytes(import)));
    bool imported = false;
    runWine(wine64, {"reg", "import", home.path() + "/game.reg"}, &imported); // makes the prefix
    QVERIFY(imported);
    stopServer(); // which writes the registry files
    gameFolder = prefix + "/drive_c/" + gameFolderName;
    folder = utf8(gameFolder);
    QVERIFY(QDir().mkpath(gameFolder));
    pristineUserReg = readFile(prefix + "/user.reg");
    QVERIFY(pristineUserReg.contains("Blizzard Entertainment"));
}

void WinePrefixTest::init()
{
    stopServer();
    QVERIFY(writeFile(prefix + "/user.reg", pristineUserReg));
}

void WinePrefixTest::cleanupTestCase()
{
    if (!prefix.isEmpty())
        stopServer();
}

void WinePrefixTest::registryTextChangesOnlyTheValueWritten()
{
    const QByteArray before =
        "WINE REGISTRY Version 2\n"
        "\n"
        "[Software\\\\Other] 1700000000\n"
        "\"Zeta\"=dword:00000001\n"
        "\n"
        "[software\\\\game] 1700000001\n"
        "#time=1d9a1b2c3d4e5f6\n"
        "@=\"default\"\n"
        "\"Beta\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
        "  15,16\n"
        "\"J\\xfcrgen\"=\"\\x00fc1 \\\\ \\\" \\001\\1\\n \\xd83c\\xdfae \\x9b54\"\n"
        "\"Kind\"=str(2):\"%ProgramFiles%\\\\Game\"\n"
        "\"Z_last\"=hex(b):00,00,00,00,00,00,00,00\n";
    WineRegistryFile file(before);
    QVERIFY(file.hasKey("Software\\Game"));
    QVERIFY(!file.hasKey("Software\\Gam"));
    QCOMPARE(file.value("Software\\GAME", "").text, QString("default"));
    QCOMPARE(file.value("Software\\Game", "j\u00fcrgen").text,
             QString::fromUtf8("\u00fc1 \\ \" \x01\x01\n \U0001F3AE \u9b54"));
    QCOMPARE(file.value("Software\\Game", "Kind").text, QString("%ProgramFiles%\\Game"));
    QCOMPARE(file.value("Software\\Game", "Beta").type, WineRegistryFile::Value::Other);
    QCOMPARE(file.value("Software\\Game", "Zeta").type, WineRegistryFile::Value::Missing);
    QCOMPARE(file.value("Software\\Other", "Zeta").number, 1u);

    // Replacing a long binary value takes its continuation lines too and keeps the value's own
    // spelling; a new value goes in sorted by upper-case name (so "A_b" after "AB", "Zz" before
    // "Z_last"); the rest stays byte for byte.
    QVERIFY(file.setDword("Software\\Game", "beta", 0xfffffffe));
    QVERIFY(file.setDword("Software\\Game", "A_b", 7));
    QVERIFY(file.setDword("Software\\Game", "AB", 8));
    QVERIFY(file.setDword("Software\\Game", "Zz", 9));
    QVERIFY(!file.setDword("Software\\Missing", "Zz", 9));
    QByteArray expected = before;
    expected.replace("\"Beta\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
                     "  15,16\n",
                     "\"AB\"=dword:00000008\n\"A_b\"=dword:00000007\n\"Beta\"=dword:fffffffe\n");
    expected.replace("\"Z_last\"", "\"Zz\"=dword:00000009\n\"Z_last\"");
    QCOMPARE(file.text(), expected);
    QCOMPARE(file.value("Software\\Game", "BETA").number, 0xfffffffeu);

    // Wine's escapes, both ways: a hex digit after an escaped unit forces four digits.
    const QString odd = QString::fromUtf8("\u00fc1\u00fcx\t\x01"
                                          "7\x02 \"\\[");
    const QByteArray escaped = WineRegistryFile::escape(odd, "\"[");
    QCOMPARE(escaped, QByteArray("\\x00fc1\\xfcx\\t\\0017\\2 \\\"\\\\\\["));
    int end = 0;
    QCOMPARE(WineRegistryFile::unescape(escaped + "]", 0, ']', &end), odd);
    QCOMPARE(end, escaped.size());
}

void WinePrefixTest::readsWhatWineWrote()
{
    QCOMPARE(registry->readGameValue(folder, L"Allow Local Files", GameValueKind::Number),
             std::string("1"));
    QCOMPARE(registry->readGameValue(folder, L"Preferred Game Version", GameValueKind::Number),
             std::string("0"));
    QCOMPARE(registry->readGameValue(folder, L"two", GameValueKind::Number), std::string("2"));
    QCOMPARE(registry->readGameValue(folder, L"All Bits", GameValueKind::Number),
             std::string("-1"));
    QCOMPARE(registry->readGameValue(folder, L"All Bits", GameValueKind::Text), std::string());
    QCOMPARE(registry->readGameValue(folder, L"Limit", GameValueKind::Text), std::string(511, 'b'));
    QCOMPARE(registry->readGameValue(folder, L"Long", GameValueKind::Text), std::string());
    QCOMPARE(registry->readGameValue(folder, L"Nothing", GameValueKind::Number), std::string());
    QVERIFY(registry->readOptions(folder) ==
            (GameOptionValues{{GameOption::AllowLocalFiles, "1"},
                              {GameOption::PreferredGameVersion, "0"}}));
    // Paths come as the folders they name here; a drive the prefix lacks names none.
    QCOMPARE(registry->readGameValue(folder, L"GamePath", GameValueKind::Text), utf8(gameFolder));
    QCOMPARE(registry->readGameValue(folder, L"InstallPath", GameValueKind::Text), std::string());
    QCOMPARE(registry->readProgramFilesX86(folder), utf8(prefix + "/drive_c/Program Files (x86)"));
    QVERIFY(QFileInfo(fromUtf8(registry->readProgramFilesX86(folder))).isDir());

    // Outside any prefix the standard one answers; with none at all, nothing does.
    const std::string outside = "/nonexistent/Warcraft III";
    QCOMPARE(registry->readGameValue(outside, L"Two", GameValueKind::Number), std::string("2"));
    qputenv("HOME", "/nonexistent");
    QCOMPARE(registry->readGameValue(outside, L"Two", GameValueKind::Number), std::string());
    QVERIFY(!registry->writeGameDword(outside, L"Two", 3));
    QVERIFY(registry->readOptions(outside) ==
            (GameOptionValues{{GameOption::AllowLocalFiles, ""},
                              {GameOption::PreferredGameVersion, ""}}));
    qputenv("HOME", home.path().toUtf8());
}

void WinePrefixTest::gameFolderDefaultIsAFolderOfThePrefix()
{
    // At the first start no game folder is known yet: the standard prefix's registry names it.
    QTemporaryDir app;
    QVERIFY(app.isValid());
    ConfigStore config(utf8(app.path()), registry.get());
    QCOMPARE(config.get(ConfigKey::gamePath), utf8(gameFolder));
    QCOMPARE(readText(app.filePath("config.cfg")),
             "GamePath=" + gameFolder.toUtf8() + "\nhideEmptyMods=1\n");
    QCOMPARE(WinePrefix::containing(gameFolder), prefix);
    QCOMPARE(WinePrefix::containing(home.path()), QString());
}

void WinePrefixTest::writeWithTheServerStoppedIsWhatWineReads()
{
    QVERIFY(!WinePrefix(prefix).serverRunning());
    QVERIFY(registry->writeGameDword(folder, L"Allow Local Files", 0));
    QVERIFY(
        registry->writeGameDword(folder, L"Extra Value", 5)); // not there yet: a line of its own
    const QByteArray after = readFile(prefix + "/user.reg");
    QByteArray expected = pristineUserReg;
    expected.replace("\"Allow Local Files\"=dword:00000001\n",
                     "\"Allow Local Files\"=dword:00000000\n");
    expected.replace("\"GamePath\"=", "\"Extra Value\"=dword:00000005\n\"GamePath\"=");
    QCOMPARE(after, expected);
    QCOMPARE(registry->readGameValue(folder, L"Allow Local Files", GameValueKind::Number),
             std::string("0"));
    QCOMPARE(wineReads("Allow Local Files"), QByteArray("0x0"));
    QCOMPARE(wineReads("Extra Value"), QByteArray("0x5"));
}

void WinePrefixTest::writeWhileTheServerRunsSurvivesItsSave()
{
    QVERIFY(!registry->waitsForWine(folder)); // the files are read in microseconds
    runWine(wineserver, {"-p"});
    QTRY_VERIFY_WITH_TIMEOUT(WinePrefix(prefix).serverRunning(), 30000);
    // Every call goes through Wine now, which the window must not wait for.
    QVERIFY(registry->waitsForWine(folder));
    QVERIFY(registry->writeGameDword(folder, L"Preferred Game Version", 1));
    QCOMPARE(registry->readGameValue(folder, L"Preferred Game Version", GameValueKind::Number),
             std::string("1"));
    QVERIFY(registry->readOptions(folder) ==
            (GameOptionValues{{GameOption::AllowLocalFiles, "1"},
                              {GameOption::PreferredGameVersion, "1"}}));
    // The file is the server's business now; what it saves at its end holds the new value.
    stopServer();
    QVERIFY(!WinePrefix(prefix).serverRunning());
    QVERIFY(!registry->waitsForWine(folder));
    QVERIFY(readFile(prefix + "/user.reg").contains("\"Preferred Game Version\"=dword:00000001"));
    QCOMPARE(registry->readGameValue(folder, L"Preferred Game Version", GameValueKind::Number),
             std::string("1"));
}

void WinePrefixTest::missingKeyIsNeitherWrittenNorCreated()
{
    QByteArray withoutKey = pristineUserReg;
    withoutKey.replace("[Software\\\\Blizzard Entertainment\\\\Warcraft III]",
                       "[Software\\\\Blizzard Entertainment\\\\Other Game]");
    QVERIFY(writeFile(prefix + "/user.reg", withoutKey));
    QVERIFY(!registry->writeGameDword(folder, L"Allow Local Files", 1));
    QCOMPARE(readFile(prefix + "/user.reg"), withoutKey);
    QCOMPARE(registry->readGameValue(folder, L"Allow Local Files", GameValueKind::Number),
             std::string());

    runWine(wineserver, {"-p"});
    QTRY_VERIFY_WITH_TIMEOUT(WinePrefix(prefix).serverRunning(), 30000);
    QVERIFY(!registry->writeGameDword(folder, L"Allow Local Files", 1));
    stopServer();
    QVERIFY(!readFile(prefix + "/user.reg").contains("Warcraft III]"));
}

void WinePrefixTest::windowSwitchesTheOptionsAndLaunchesInThePrefix()
{
    AppFolder app;
    QVERIFY(writeFile(app.box.appDir + "/config.cfg",
                      "GamePath=" + gameFolder.toUtf8() + "\nhideEmptyMods=1\n"));
    QVERIFY(Tree::file(gameFolder + "/Warcraft III.exe", "MZ"));
    QVERIFY(Tree::file(app.box.modDir("Foo") + "/Maps/new.w3x", "mod map"));
    const auto gameBefore = Tree::snapshot(gameFolder);
    Window w(app, *registry);
    auto *allow = w.window.findChild<QCheckBox *>("allowFilesCbx");
    auto *expansion = w.window.findChild<QCheckBox *>("gameVersionCbx");
    auto *game = w.window.findChild<QPushButton *>("gameBtn");
    QVERIFY(allow->isChecked());
    QVERIFY(!expansion->isChecked());

    QTest::mouseClick(expansion, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Expansion enabled."));
    QTest::mouseClick(allow, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Allow Local Files disabled."));
    QCoreApplication::processEvents(); // the read-back after a write is queued
    QVERIFY(!allow->isChecked());
    QVERIFY(expansion->isChecked());
    QCOMPARE(wineReads("Preferred Game Version"), QByteArray("0x1"));
    QCOMPARE(wineReads("Allow Local Files"), QByteArray("0x0"));

    // A mod goes into the game folder in the prefix and comes out again.
    QTRY_VERIFY(w.shown("Foo"));
    w.select("Foo");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo mounted."));
    QCOMPARE(Tree::linkTarget(gameFolder + "/Maps"), app.box.modDir("Foo") + "/Maps");
    QTest::mouseClick(w.toggle, Qt::LeftButton);
    QTRY_COMPARE(w.status->text(), QString("Foo unmounted."));
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(gameFolder)), QString());

    // Launching reads the options once more; with the fake Wine first on the PATH that must
    // not go through a server.
    stopServer();
    FakeWine wine;
    QTest::mouseClick(game, Qt::LeftButton);
    QCOMPARE(w.status->text(), QString("Game launched."));
    QTRY_VERIFY(QFile::exists(wine.startedFile()));
    QCOMPARE(wine.started(),
             (prefix + "|" + gameFolder + "|" + gameFolder + "/Warcraft III.exe").toUtf8());
}

QTEST_MAIN(WinePrefixTest)
#include "tst_wineprefix.moc"
