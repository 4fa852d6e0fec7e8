#include "configstore.h"
#include "gameregistrystandin.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace
{

#ifdef Q_OS_WIN
const char defaultGamePath[] = "C:/Program Files (x86)/Warcraft III";
const QByteArray defaultGamePathLine = QByteArray("GamePath=") + defaultGamePath + "\n";
#else
// Without a Wine prefix no default names a folder here: the user chooses one.
const char defaultGamePath[] = "";
const QByteArray defaultGamePathLine;
#endif
const QByteArray defaultHideLine = "hideEmptyMods=1\n";

} // namespace

class ConfigStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { GameRegistryStandIn::reset(); }
    void cleanupTestCase() { GameRegistryStandIn::reset(); }

    void getSetEraseKeepTheMapInvariants();
    void loadThenSaveFollowsTheLineRules_data();
    void loadThenSaveFollowsTheLineRules();
    void firstStartWritesTheDefaultsAndNothingElse();
    void startLeavesACompleteFileByteForByte();
    void startFillsOnlyWhatIsMissing();
    void gameFolderDefaultTakesTheFirstRegistrySource();
    void failedSaveLeavesTheOldFileIntact();
};

void ConfigStoreTest::getSetEraseKeepTheMapInvariants()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ConfigStore store(utf8(dir.path()));

    QCOMPARE(store.configPath, utf8(dir.path()) + "/config.cfg");
    QCOMPARE(store.modsPath, utf8(dir.path()) + "/mods");
    QCOMPARE(store.outFilesPath, utf8(dir.path()) + "/out_files.txt");
    QCOMPARE(store.backupFilesPath, utf8(dir.path()) + "/backup_files.txt");

    QCOMPARE(store.get("never set"), std::string());
    store.set("", "ignored");
    QCOMPARE(store.get(""), std::string());

    store.set("Mounted", "Foo");
    QCOMPARE(store.get("Mounted"), std::string("Foo"));
    store.set("Mounted", "");
    QCOMPARE(store.get("Mounted"), std::string());

    store.set("GamePath", "C:\\Games\\Warcraft III");
    QCOMPARE(store.get("GamePath"), std::string("C:/Games/Warcraft III"));
    store.set("Other", "C:\\Games\\Warcraft III");
    QCOMPARE(store.get("Other"), std::string("C:\\Games\\Warcraft III"));

    // set and erase never touch the file; save writes keys in byte order.
    const QByteArray before = readText(dir.filePath("config.cfg"));
    QCOMPARE(before, defaultGamePathLine + defaultHideLine);
    store.set("MountedError", "x");
    store.erase("MountedError");
    store.erase("absent");
    QCOMPARE(store.get("MountedError"), std::string());
    store.set("Z", "upper sorts before lower");
    QCOMPARE(readText(dir.filePath("config.cfg")), before);
    store.save();
    QCOMPARE(readText(dir.filePath("config.cfg")),
             QByteArray("GamePath=C:/Games/Warcraft III\nOther=C:\\Games\\Warcraft III\n"
                        "Z=upper sorts before lower\nhideEmptyMods=1\n"));

    // With every key removed the file is truncated to nothing.
    store.erase("GamePath");
    store.erase("Other");
    store.erase("Z");
    store.erase("hideEmptyMods");
    store.save();
    QCOMPARE(readText(dir.filePath("config.cfg")), QByteArray());
}

void ConfigStoreTest::loadThenSaveFollowsTheLineRules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray D = defaultGamePathLine;
    const QByteArray H = defaultHideLine;
    const QByteArray longValue(200000, 'v');

    QTest::newRow("last value wins, keys sorted")
        << QByteArray("b=2\na=1\na=3\n") << D + "a=3\nb=2\n" + H;
    QTest::newRow("empty value removes") << QByteArray("a=1\na=\n") << D + H;
    QTest::newRow("removed then set again") << QByteArray("a=1\na=\na=2") << D + "a=2\n" + H;
    QTest::newRow("further = belong to the value") << QByteArray("x=y=z\n") << D + H + "x=y=z\n";
    QTest::newRow("line without =") << QByteArray("foo") << D + "foo=foo\n" + H;
    QTest::newRow("leading space is part of the key")
        << QByteArray(" GamePath=/x\n") << QByteArray(" GamePath=/x\n") + D + H;
    QTest::newRow("CR LF like LF") << QByteArray("b=2\r\na=1\r\n") << D + "a=1\nb=2\n" + H;
    QTest::newRow("blank lines and empty keys ignored")
        << QByteArray("\n\n=x\n\r\nk=v\n\n") << D + H + "k=v\n";
    QTest::newRow("invalid UTF-8 kept byte for byte")
        << QByteArray("k=\xff\xfe\x80\n\xc3=\xc3\n") << D + H + "k=\xff\xfe\x80\n\xc3=\xc3\n";
    QTest::newRow("NUL bytes kept")
        << QByteArray("k\0ey=v\0al\n", 10) << D + H + QByteArray("k\0ey=v\0al\n", 10);
    QTest::newRow("very long line") << "k=" + longValue + "\n" << D + H + "k=" + longValue + "\n";
    QTest::newRow("GamePath backslashes become slashes")
        << QByteArray("GamePath=C:\\Games\\W3\nhideEmptyMods=0\n")
        << QByteArray("GamePath=C:/Games/W3\nhideEmptyMods=0\n");
    QTest::newRow("empty GamePath counts as none") << QByteArray("GamePath=\n") << D + H;
    QTest::newRow("lone CR is part of the value") << QByteArray("k=a\rb\n") << D + H + "k=a\rb\n";
}

void ConfigStoreTest::loadThenSaveFollowsTheLineRules()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, saved);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath("config.cfg"), content));
    ConfigStore store(utf8(dir.path()));
    store.save();
    QCOMPARE(readText(dir.filePath("config.cfg")), saved);
}

void ConfigStoreTest::firstStartWritesTheDefaultsAndNothingElse()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ConfigStore store(utf8(dir.path()), &GameRegistryStandIn::registry());

    QCOMPARE(readText(dir.filePath("config.cfg")), defaultGamePathLine + defaultHideLine);
    QCOMPARE(store.get("GamePath"), std::string(defaultGamePath));
    QCOMPARE(store.get("hideEmptyMods"), std::string("1"));
    // No mods folder and no record files: those come with the first add and the first mount.
    QCOMPARE(entryNames(dir.path()), QStringList{"config.cfg"});
}

void ConfigStoreTest::startLeavesACompleteFileByteForByte()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray content("\nhideEmptyMods=0\r\nno equals here\nGamePath=D:\\W3\nGamePath=/g\n"
                             "=orphan\nzz=1\nzz=2\n");
    QVERIFY(writeFile(dir.filePath("config.cfg"), content));

    ConfigStore store(utf8(dir.path()));
    QCOMPARE(readFile(dir.filePath("config.cfg")), content);
    QCOMPARE(store.get("GamePath"), std::string("/g"));
    QCOMPARE(store.get("hideEmptyMods"), std::string("0"));
    QCOMPARE(store.get("no equals here"), std::string("no equals here"));
    QCOMPARE(store.get("zz"), std::string("2"));
}

void ConfigStoreTest::startFillsOnlyWhatIsMissing()
{
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(dir.filePath("config.cfg"), "hideEmptyMods=0\n"));
        ConfigStore store(utf8(dir.path()));
        QCOMPARE(readText(dir.filePath("config.cfg")), defaultGamePathLine + "hideEmptyMods=0\n");
    }
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(dir.filePath("config.cfg"), "GamePath=/games/w3\n"));
        ConfigStore store(utf8(dir.path()));
        QCOMPARE(readText(dir.filePath("config.cfg")),
                 QByteArray("GamePath=/games/w3\n") + defaultHideLine);
    }
    {
        // A folder where config.cfg should be: loads as empty, the write-back fails silently,
        // and the defaults still hold in memory.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("config.cfg"));
        ConfigStore store(utf8(dir.path()));
        QCOMPARE(store.get("hideEmptyMods"), std::string("1"));
        QVERIFY(QFileInfo(dir.filePath("config.cfg")).isDir());
    }
}

void ConfigStoreTest::gameFolderDefaultTakesTheFirstRegistrySource()
{
    RUNEMOUNT_NEEDS_REGISTRY_CONTROL();
    auto gamePathAfterStart = [] {
        QTemporaryDir dir;
        return dir.isValid()
                   ? ConfigStore(utf8(dir.path()), &GameRegistryStandIn::registry()).get("GamePath")
                   : std::string();
    };

    GameRegistryStandIn::setProgramFilesX86(u"D:\\Programme (x86)");
    QCOMPARE(gamePathAfterStart(), std::string("D:/Programme (x86)/Warcraft III"));

    GameRegistryStandIn::setGameString(L"InstallPath", u"E:\\Install\\W3");
    QCOMPARE(gamePathAfterStart(), std::string("E:/Install/W3"));

    // An install path outside ASCII arrives as UTF-8, not as mangled bytes.
    GameRegistryStandIn::setGameString(L"GamePath", u"D:\\Spiele\\J\u00fcrgen\\Warcraft III");
    QCOMPARE(gamePathAfterStart(), std::string("D:/Spiele/J\xc3\xbcrgen/Warcraft III"));

    // An empty registry string moves on to the next source.
    GameRegistryStandIn::setGameString(L"GamePath", u"");
    QCOMPARE(gamePathAfterStart(), std::string("E:/Install/W3"));

    GameRegistryStandIn::removeGameKey();
    GameRegistryStandIn::setProgramFilesX86(u"");
    QCOMPARE(gamePathAfterStart(), std::string(defaultGamePath));

    // Never the program's own folder or one inside it: the next source is taken.
    QTemporaryDir own;
    QVERIFY(own.isValid());
    GameRegistryStandIn::setGameString(L"GamePath",
                                       (own.path() + "/mods/SelfMod").toStdU16String());
    GameRegistryStandIn::setGameString(L"InstallPath", own.path().toStdU16String());
    GameRegistryStandIn::setProgramFilesX86(u"D:\\Programme (x86)");
    QCOMPARE(ConfigStore(utf8(own.path()), &GameRegistryStandIn::registry()).get("GamePath"),
             std::string("D:/Programme (x86)/Warcraft III"));
}

void ConfigStoreTest::failedSaveLeavesTheOldFileIntact()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = defaultGamePathLine + "Mounted=Foo\n" + defaultHideLine;
    QVERIFY(writeFile(dir.filePath("config.cfg"), old));

    {
        // A folder in which nothing can be created or replaced, even by root.
        ConfigStore store(utf8(dir.path()));
        store.erase("Mounted");
        Immutable frozen(dir.path());
        RUNEMOUNT_NEEDS_ROOT(frozen.ok(), "chattr +i");
        store.save();
        QCOMPARE(readFile(dir.filePath("config.cfg")), old);
        QCOMPARE(store.get("Mounted"), std::string()); // memory keeps the change
    }

    // A full disk in the middle of the write.
    const QString diskFolder = dir.filePath("disk");
    TinyDisk disk(diskFolder, 8);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    QVERIFY(writeFile(diskFolder + "/config.cfg", old));
    ConfigStore store(utf8(diskFolder));
    store.set("MountedError", std::string(64 * 1024, 'e'));
    store.save();
    QCOMPARE(readFile(diskFolder + "/config.cfg"), old);
    QCOMPARE(entryNames(diskFolder), QStringList{"config.cfg"});
}

QTEST_GUILESS_MAIN(ConfigStoreTest)
#include "tst_configstore.moc"
