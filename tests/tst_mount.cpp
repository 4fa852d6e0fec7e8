#include "backupname.h"
#include "mountrecords.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace TestSupport;

namespace
{

QStringList recordLines(const QByteArray &content)
{
    QStringList lines = QString::fromUtf8(content).split('\n');
    if (!content.isEmpty() && content.endsWith('\n'))
        lines.removeLast();
    return lines;
}

PreviewedMount previewOf(Worker &worker)
{
    PreviewedMount found;
    QObject::connect(&worker, &Worker::previewReady,
                     [&found](const PreviewedMount &preview) { found = preview; });
    worker.previewModWorker(false);
    return found;
}

// "path bytes files" for each entry.
QStringList described(const QVector<PreviewedMount::Entry> &entries)
{
    QStringList lines;
    for (const PreviewedMount::Entry &entry : entries)
        lines << QString("%1 %2 %3").arg(entry.path).arg(entry.bytes).arg(entry.files);
    return lines;
}

} // namespace

class MountTest : public QObject
{
    Q_OBJECT

private slots:
    // Every case here mounts, or sets up links; rows that mount with hard links say so.
    void init()
    {
        if (!QByteArray(QTest::currentDataTag()).startsWith("hard links"))
            RUNEMOUNT_NEEDS_LINKS();
    }

    void mountFoldsDescendsAndBacksUp();
    void namesMatchAsTheGameMatchesThem();
    void emptyOrMissingModRecordsNothing();
    void repeatedRootTextInAPathIsKept();
    void entryThatCannotBeOneRecordLineIsNotPlaced();
    void abortStopsTheWalkWithPartialCounts();
    void lockedGameFolderChangesNothing();
    void failedLinkPutsTheBackupStraightBack();
    void unrecordableChangesAreNotMade();
    void fullDiskKeepsEveryChangeOnRecord();
    void programsOwnFolderInTheGameIsLeftAlone_data();
    void programsOwnFolderInTheGameIsLeftAlone();
    void previewTellsWhatTheMountThenDoes_data();
    void previewTellsWhatTheMountThenDoes();
};

void MountTest::mountFoldsDescendsAndBacksUp()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const QString mod = box.modDir("Foo");
    // The game has a real Maps folder with one file the mod replaces, and a war3.mpq whose first
    // two backup names are taken.
    QVERIFY(Tree::file(box.game("Maps/keep.w3x"), "game keep"));
    QVERIFY(Tree::file(box.game("Maps/other.w3x"), "game other"));
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.game("war3.mpq.oxdbackup"), "older backup"));
    QVERIFY(Tree::file(box.game("war3.mpq.oxdbackup2"), "older backup 2"));
    // A link already in the game where the mod has a folder: backed up, never descended into.
    QVERIFY(Tree::folder(box.root + "/elsewhere/Movies"));
    QVERIFY(Tree::link(box.game("Movies"), box.root + "/elsewhere/Movies"));
    // A real game folder where the mod has a file: nothing is placed there.
    QVERIFY(Tree::folder(box.game("Sound")));

    QVERIFY(Tree::file(mod + "/Maps/a.w3x", "mod a"));
    QVERIFY(Tree::file(mod + "/Maps/keep.w3x", "mod keep"));
    QVERIFY(Tree::file(mod + "/Scripts/x.j"));
    QVERIFY(Tree::file(mod + "/Scripts/deep/y.j"));
    QVERIFY(Tree::file(mod + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(mod + "/Movies/intro.mp4"));
    QVERIFY(Tree::file(mod + "/Sound", "a file, not a folder"));

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();

    QCOMPARE(log.results.size(), 1);
    QCOMPARE(log.last().modName, QString("Foo"));
    QCOMPARE(log.counts(), QString("5/0/0"));
    QVERIFY(!log.last().aborted);
    QVERIFY(!log.last().forced);
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));

    // Folded: the whole Scripts folder is one link; Maps stays a real folder with file links.
    QCOMPARE(Tree::linkTarget(box.game("Scripts")), mod + "/Scripts");
    QVERIFY(!QFileInfo(box.game("Maps")).isSymLink());
    QCOMPARE(Tree::linkTarget(box.game("Maps/a.w3x")), mod + "/Maps/a.w3x");
    QCOMPARE(Tree::linkTarget(box.game("Maps/keep.w3x")), mod + "/Maps/keep.w3x");
    QCOMPARE(readFile(box.game("Maps/keep.w3x.oxdbackup")), QByteArray("game keep"));
    QCOMPARE(readFile(box.game("Maps/other.w3x")), QByteArray("game other"));
    QCOMPARE(readFile(box.game("war3.mpq.oxdbackup3")), QByteArray("game mpq"));
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("mod mpq"));
    QCOMPARE(Tree::linkTarget(box.game("Movies")), mod + "/Movies");
    QCOMPARE(Tree::linkTarget(box.game("Movies.oxdbackup")), box.root + "/elsewhere/Movies");
    QVERIFY(QFileInfo(box.game("Sound")).isDir() && !QFileInfo(box.game("Sound")).isSymLink());
    QCOMPARE(entryNames(box.root + "/elsewhere/Movies"), QStringList());

    // Records: one full path per line, each ending in a line feed.
    const QByteArray out = box.outFiles();
    QVERIFY(out.endsWith('\n'));
    QStringList placed = recordLines(out);
    placed.sort();
    QCOMPARE(placed, (QStringList{box.game("Maps/a.w3x"), box.game("Maps/keep.w3x"),
                                  box.game("Movies"), box.game("Scripts"), box.game("war3.mpq")}));
    QStringList backups = recordLines(box.backupFiles());
    backups.sort();
    QCOMPARE(backups, (QStringList{box.game("Maps/keep.w3x.oxdbackup"),
                                   box.game("Movies.oxdbackup"), box.game("war3.mpq.oxdbackup3")}));

    // Progress names entries relative to the mod, with "/" separators.
    QVERIFY(log.progress.contains("Maps/a.w3x"));
    QVERIFY(log.progress.contains("Scripts"));
    QVERIFY(log.progress.contains("Sound"));
    QVERIFY(!log.progress.contains("Scripts/x.j"));
    for (const QString &text : log.progress)
        QVERIFY2(!text.startsWith('/'), qPrintable(text));
}

void MountTest::namesMatchAsTheGameMatchesThem()
{
#ifdef Q_OS_WIN
    RUNEMOUNT_SKIP("Windows itself matches names regardless of case");
#else
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "game units"));
    QVERIFY(Tree::file(box.game("War3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.game("Maps/x.TXT.OXDBACKUP"), "named like a backup"));
    QVERIFY(Tree::file(box.game("Maps/X.txt"), "game x"));
    const QString mod = box.modDir("Foo");
    for (const char *entry :
         {"units/unitdata.slk", "units/New.txt", "war3.MPQ", "maps/x.txt", "a.txt", "A.TXT"})
        QVERIFY(Tree::file(mod + "/" + entry, entry));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    // The game's own names: no folder "units" beside "Units", the game's file set aside.
    QCOMPARE(log.counts(), QString("5/1/0"));
    QCOMPARE(log.errors.size(), 1);
    QVERIFY2(log.errors[0] == "Another entry of the mod has the same name: " + mod + "/A.TXT" ||
                 log.errors[0] == "Another entry of the mod has the same name: " + mod + "/a.txt",
             qPrintable(log.errors[0]));
    QStringList names = entryNames(box.gameDir);
    QVERIFY(names.removeOne("a.txt") != names.removeOne("A.TXT"));
    QCOMPARE(names, (QStringList{"Maps", "Units", "War3.mpq", "War3.mpq.oxdbackup"}));
    QCOMPARE(Tree::linkTarget(box.game("Units/UnitData.slk")), mod + "/units/unitdata.slk");
    QCOMPARE(Tree::linkTarget(box.game("Units/New.txt")), mod + "/units/New.txt");
    QCOMPARE(Tree::linkTarget(box.game("War3.mpq")), mod + "/war3.MPQ");
    QCOMPARE(readFile(box.game("Units/UnitData.slk.oxdbackup")), QByteArray("game units"));
    // A backup name never equals an existing name regardless of case.
    QCOMPARE(readFile(box.game("Maps/X.txt.oxdbackup2")), QByteArray("game x"));
    QCOMPARE(Tree::linkTarget(box.game("Maps/X.txt")), mod + "/maps/x.txt");
    QVERIFY(box.outFiles().contains(box.game("Units/UnitData.slk").toUtf8()));
    QVERIFY(!box.outFiles().contains("/units/"));

    // A check and a repair find the mod's entries behind the game's names.
    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.errors, QStringList());
    QCOMPARE(log.counts(), QString("8/0/0")); // five links, three backups
    const auto mounted = Tree::snapshot(box.gameDir);
    log.clear();
    worker->repairModWorker();
    QCOMPARE(log.counts(), QString("5/0/0"));
    QCOMPARE(Tree::difference(mounted, Tree::snapshot(box.gameDir)), QString());

    // The records carry the game's names, so the unmount gives back the exact ones.
    log.clear();
    worker->unmountModWorker(false);
    QCOMPARE(log.errors, QStringList());
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
#endif
}

void MountTest::emptyOrMissingModRecordsNothing()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.modDir("Empty")));
    QVERIFY(Tree::file(box.modDir("Hidden") + "/.only-hidden"));
    QVERIFY(writeFile(box.appDir + "/out_files.txt", "from an earlier mount\n"));

    for (const QString &name : {QString("Empty"), QString("Hidden"), QString("Absent")}) {
        auto worker = box.worker(name);
        WorkerLog log(worker.get());
        worker->mountModWorker();
        QCOMPARE(log.results.size(), 1);
        QCOMPARE(log.counts(), QString("0/0/0"));
        QVERIFY(log.progress.isEmpty());
    }
    // A mount that records nothing leaves the records as they were.
    QCOMPARE(box.outFiles(), QByteArray("from an earlier mount\n"));
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));
    QCOMPARE(entryNames(box.gameDir), QStringList());
}

void MountTest::repeatedRootTextInAPathIsKept()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // A mod whose folders repeat the mod's own absolute path further down, in a game that has
    // those folders, so the walk reaches the file and places it at its true relative path.
    const QString mod = box.modDir("Foo");
    const QString chain = "x" + mod;
    QVERIFY(Tree::file(mod + "/" + chain + "/y.txt", "deep"));
    QVERIFY(Tree::folder(box.game(chain)));

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("1/0/0"));
    QCOMPARE(Tree::linkTarget(box.game(chain + "/y.txt")), mod + "/" + chain + "/y.txt");
    QVERIFY(log.progress.contains(chain + "/y.txt"));
}

void MountTest::entryThatCannotBeOneRecordLineIsNotPlaced()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // The game has entries named like the parts of the odd names; none of them may be touched.
    QVERIFY(Tree::file(box.game("a"), "game a"));
    QVERIFY(Tree::file(box.game("b"), "game b"));
    QVERIFY(Tree::file(box.game("c"), "game c"));
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString mod = box.modDir("Foo");
    QVERIFY(Tree::file(mod + "/a\nb", "line feed"));
    QVERIFY(Tree::file(mod + "/c\r", "carriage return"));
    QVERIFY(Tree::file(mod + "/Maps/x\ny/z.w3x", "in an odd folder"));
    QVERIFY(Tree::file(mod + "/Maps/plain.w3x", "plain"));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("1/3/0"));
    QStringList errors = log.errors;
    errors.sort();
    QCOMPARE(errors, (QStringList{"Failed to create symbolic link to file: " + mod + "/Maps/x\ny",
                                  "Failed to create symbolic link to file: " + mod + "/a\nb",
                                  "Failed to create symbolic link to file: " + mod + "/c\r"}));
    QCOMPARE(box.outFiles(), box.game("Maps/plain.w3x").toUtf8() + "\n");
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));
    auto after = Tree::snapshot(box.gameDir);
    QVERIFY(after.remove("Maps/plain.w3x") == 1);
    QCOMPARE(Tree::difference(before, after), QString());

    // The check walks the mod by the mount's rules: what could not be placed is not mounted.
    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("1/3/0"));
    errors = log.errors;
    errors.sort();
    QCOMPARE(errors,
             (QStringList{"Not mounted: " + mod + "/Maps/x\ny", "Not mounted: " + mod + "/a\nb",
                          "Not mounted: " + mod + "/c\r"}));
}

void MountTest::abortStopsTheWalkWithPartialCounts()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Maps")));
    for (int i = 0; i < 10; ++i)
        QVERIFY(Tree::file(box.modDir("Foo") + QString("/Maps/%1.w3x").arg(i)));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    // Abort while the third file is being handled (after "Maps" itself): it is finished,
    // nothing after it starts.
    QObject::connect(worker.get(), &Worker::status, worker.get(), [&](const QString &, bool error) {
        if (!error && log.progress.size() == 4)
            worker->aborted = true;
    });
    worker->mountModWorker();

    QCOMPARE(log.results.size(), 1);
    QVERIFY(log.last().aborted);
    QCOMPARE(log.counts(), QString("3/0/0"));
    QCOMPARE(recordLines(box.outFiles()).size(), 3);

    // What was placed before the abort is undone by the unmount like anything else.
    auto unmounter = box.worker("Foo");
    WorkerLog unmountLog(unmounter.get());
    unmounter->unmountModWorker(false);
    QCOMPARE(unmountLog.counts(), QString("3/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

void MountTest::lockedGameFolderChangesNothing()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("Maps/a.w3x"), "game a"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/a.w3x"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/new.w3x"));
    QVERIFY(writeFile(box.appDir + "/out_files.txt", "from an earlier mount\n"));
    const auto before = Tree::snapshot(box.gameDir);

    Immutable locked(box.game("Maps"));
    RUNEMOUNT_NEEDS_ROOT(locked.ok(), "chattr +i");
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();

    QCOMPARE(log.counts(), QString("0/2/0"));
    const QString mod = box.modDir("Foo");
    QVERIFY2(log.errors.contains("Failed to create backup of " + box.game("Maps/a.w3x") +
                                 "\n-->Skipping file: " + mod + "/Maps/a.w3x"),
             qPrintable(log.errors.join('\n')));
    QVERIFY2(
        log.errors.contains("Failed to create symbolic link to file: " + mod + "/Maps/new.w3x"),
        qPrintable(log.errors.join('\n')));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles(), QByteArray("from an earlier mount\n"));
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));
}

void MountTest::failedLinkPutsTheBackupStraightBack()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // A game folder on a file system without room for one more entry: renaming works,
    // creating a link does not (as on Windows without the right to create links).
    const QString game = box.root + "/fullgame";
    TinyDisk disk(game, 64, 3);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    QVERIFY(Tree::file(game + "/war3.mpq", "game mpq"));
    QVERIFY(Tree::file(game + "/x.txt", "game x"));
    box.config->set("GamePath", game.toStdString());
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/x.txt"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/new.txt"));
    const auto before = Tree::snapshot(game);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();

    QCOMPARE(log.counts(), QString("0/3/0"));
    QVERIFY2(log.errors.contains("Failed to create symbolic link to file: " + box.modDir("Foo") +
                                 "/war3.mpq"),
             qPrintable(log.errors.join('\n')));
    // Nothing of the game is left under a backup name, and nothing is on record.
    QCOMPARE(Tree::difference(before, Tree::snapshot(game)), QString());
    QCOMPARE(box.outFiles(), QByteArray("<absent>"));
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));
}

void MountTest::unrecordableChangesAreNotMade()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/new.txt"));
    QVERIFY(writeFile(box.appDir + "/out_files.txt", ""));
    const auto before = Tree::snapshot(box.gameDir);

    Immutable locked(box.appDir + "/out_files.txt");
    RUNEMOUNT_NEEDS_ROOT(locked.ok(), "chattr +i");
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();

    QCOMPARE(log.counts(), QString("0/2/0"));
    const QString recordFailure = "Failed to write record file: " + box.appDir + "/out_files.txt" +
                                  "\n-->Skipping file: " + box.modDir("Foo");
    QVERIFY2(log.errors.contains(recordFailure + "/war3.mpq"), qPrintable(log.errors.join('\n')));
    QVERIFY2(log.errors.contains(recordFailure + "/new.txt"), qPrintable(log.errors.join('\n')));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    // The backup that could not be followed by its link was taken back, and so was its line.
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));
}

void MountTest::fullDiskKeepsEveryChangeOnRecord()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // The records live on a small disk that fills up part way through the mount.
    const QString app = box.root + "/smallapp";
    TinyDisk disk(app, 16);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    QVERIFY(writeFile(app + "/config.cfg", "GamePath=" + box.gameDir.toUtf8() + "\n"));
    QVERIFY(Tree::link(app + "/mods", box.modsDir)); // the mods themselves are elsewhere
    ConfigStore config(utf8(app));
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString longName = QString(180, 'n');
    for (int i = 0; i < 120; ++i) {
        QVERIFY(Tree::file(box.modDir(QString("Foo/Maps/%1%2").arg(longName).arg(i))));
        if (i % 3 == 0)
            QVERIFY(Tree::file(box.game(QString("Maps/%1%2").arg(longName).arg(i)), "game"));
    }
    const auto before = Tree::snapshot(box.gameDir);

    Worker worker(WorkerPaths::of(config), "Foo");
    WorkerLog log(&worker);
    worker.mountModWorker();
    QVERIFY2(log.last().done > 0 && log.last().failed > 0, qPrintable(log.counts()));
    QVERIFY(log.errors.first().startsWith("Failed to write record file: " + app));

    // Every change that was made is on record, so the unmount takes them all back.
    Worker unmounter(WorkerPaths::of(config), "Foo");
    WorkerLog unmountLog(&unmounter);
    unmounter.unmountModWorker(false);
    QCOMPARE(unmountLog.last().failed + unmountLog.last().missing, 0);
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

QTEST_GUILESS_MAIN(MountTest)
void MountTest::programsOwnFolderInTheGameIsLeftAlone_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QStringList>("entries"); // of the mod, besides one it may place
    QTest::addColumn<QString>("slashes");     // after the game folder in the settings
    QTest::addColumn<QString>("skipped");     // below the game folder, as the game spells it
    const auto addRows = [](const QString &name, const QStringList &entries, const QString &slashes,
                            const QString &skipped) {
        QTest::newRow(qPrintable(name)) << MountWay::SymbolicLinks << entries << slashes << skipped;
        QTest::newRow(qPrintable("hard links, " + name))
            << MountWay::HardLinks << entries << slashes << skipped;
    };
    addRows("the program's files", {"app/config.cfg", "app/out_files.txt"}, "", "app");
    addRows("a file where the program's folder is", {"app"}, "", "app");
    addRows("a mod inside the mods folder", {"app/mods/Foo/ok.txt"}, "", "app");
    addRows("game folder typed with slashes too many", {"app/config.cfg"}, "//", "app");
#ifdef Q_OS_WIN
    addRows("names in another case", {"APP/Config.cfg"}, "", "APP");
#else
    addRows("names in another case", {"APP/Config.cfg"}, "", "app");
#endif
}

void MountTest::programsOwnFolderInTheGameIsLeftAlone()
{
    QFETCH(MountWay, way);
    QFETCH(QStringList, entries);
    QFETCH(QString, slashes);
    QFETCH(QString, skipped);
    Sandbox box(Sandbox::AppPlace::InsideGame);
    QVERIFY(box.isValid());
    box.setWay(way);
    box.config->set(ConfigKey::gamePath, utf8(box.gameDir + slashes));
    const QString mod = box.modDir("Foo");
    for (const QString &entry : entries)
        QVERIFY(Tree::file(mod + "/" + entry, "the mod's"));
    QVERIFY(Tree::file(mod + "/ok.txt", "placed"));
    // The records change with every operation; all else in the program's folder stays.
    const auto withoutRecords = [&box] {
        auto app = Tree::snapshot(box.appDir);
        app.remove("out_files.txt");
        app.remove("backup_files.txt");
        return app;
    };
    const auto appBefore = withoutRecords();
    auto gameBefore = Tree::snapshot(box.gameDir);
    const QStringList skippedLine{"Skipped the program's own folder: " + box.game(skipped)};

    auto worker = box.worker("Foo");
    // The preview says so too, and changes nothing.
    QCOMPARE(previewOf(*worker).refused, skippedLine);
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(box.gameDir)), QString());
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.errors, skippedLine);
    QCOMPARE(log.counts(), QString("1/1/0"));
    QCOMPARE(Tree::difference(appBefore, withoutRecords()), QString());
    QVERIFY(box.outFiles().contains("/ok.txt"));
    QVERIFY(!box.outFiles().contains("/app/"));
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));

    // The check counts it as not mounted; the repair skips it as the mount did.
    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("1/1/0"));
    log.clear();
    worker->repairModWorker();
    QCOMPARE(log.errors, skippedLine);
    QCOMPARE(log.counts(), QString("1/1/0"));
    QCOMPARE(Tree::difference(appBefore, withoutRecords()), QString());

    auto unmounter = box.worker("Foo");
    WorkerLog unmountLog(unmounter.get());
    unmounter->unmountModWorker(false);
    QCOMPARE(unmountLog.errors, QStringList());
    QCOMPARE(unmountLog.counts(), QString("1/0/0"));
    QCOMPARE(Tree::difference(appBefore, withoutRecords()), QString());
    QCOMPARE(box.outFiles(), QByteArray());
    QVERIFY(!QFileInfo(box.appDir + "/out_files.txt").isSymLink());
    auto gameAfter = Tree::snapshot(box.gameDir);
    for (const QString &record : QStringList{"app/out_files.txt", "app/backup_files.txt"}) {
        gameBefore.remove(record);
        gameAfter.remove(record);
    }
    QCOMPARE(Tree::difference(gameBefore, gameAfter), QString());
}

void MountTest::previewTellsWhatTheMountThenDoes_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QStringList>("replaced"); // "path bytes files", by path
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("refusal"); // of the mod's link, if refused
    // Scripts is new to the game: one link, or a folder made with each file placed in it. Where
    // the game has the file Sound, the mod has a folder.
    QTest::newRow("symbolic links")
        << MountWay::SymbolicLinks << QStringList{"Sound 10 1", "war3.mpq 8 1"}
        << QStringList{"Maps/a.w3x 5 1", "Scripts 7 2", "linked.txt 9 1"} << QString();
    QTest::newRow("hard links") << MountWay::HardLinks << QStringList{"Sound 10 1", "war3.mpq 8 1"}
                                << QStringList{"Maps/a.w3x 5 1", "Scripts/deep/y.j 3 1",
                                               "Scripts/x.j 4 1", "Sound/s.wav 2 1"}
                                << "Failed to create hard link to file: ";
}

void MountTest::previewTellsWhatTheMountThenDoes()
{
    QFETCH(MountWay, way);
    QFETCH(QStringList, replaced);
    QFETCH(QStringList, added);
    QFETCH(QString, refusal);
    RUNEMOUNT_NEEDS_LINKS(); // the mod holds one
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    const QString mod = box.modDir("Foo");
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.game("Maps/keep.w3x"), "game keep"));
    QVERIFY(Tree::file(box.game("Sound"), "game sound"));
    QVERIFY(Tree::file(mod + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(mod + "/Maps/a.w3x", "mod a"));
    QVERIFY(Tree::file(mod + "/Scripts/x.j", "xxxx"));
    QVERIFY(Tree::file(mod + "/Scripts/deep/y.j", "yyy"));
    QVERIFY(Tree::file(mod + "/Sound/s.wav", "ss"));
    QVERIFY(Tree::file(box.root + "/elsewhere.txt", "elsewhere"));
    QVERIFY(Tree::link(mod + "/linked.txt", box.root + "/elsewhere.txt"));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    const PreviewedMount preview = previewOf(*worker);
    QCOMPARE(described(preview.replaced), replaced);
    QCOMPARE(described(preview.added), added);
    const QStringList refused =
        refusal.isEmpty() ? QStringList() : QStringList{refusal + mod + "/linked.txt"};
    QCOMPARE(preview.refused, refused);
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles() + box.backupFiles(), QByteArray("<absent><absent>"));

    // The mount sets aside those entries, places the others, and refuses the same.
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.errors, refused);
    const MountRecords records(box.appDir + "/out_files.txt", box.appDir + "/backup_files.txt");
    const auto belowGame = [&box](const std::string &path) {
        return QString::fromStdString(path).mid(box.gameDir.size() + 1);
    };
    QStringList setAside;
    for (const std::string &backup : records.readBackups().paths)
        setAside << belowGame(
            BackupName::restorePath(QString::fromStdString(backup)).toStdString());
    QStringList placed;
    for (const MountRecords::Placed &entry : records.readPlaced().entries)
        if (entry.kind != MountRecords::PlacedKind::Folder)
            placed << belowGame(entry.path);
    const auto pathsOf = [](const QStringList &lines) {
        QStringList paths;
        for (const QString &line : lines)
            paths << line.section(' ', 0, 0);
        paths.sort();
        return paths;
    };
    setAside.sort();
    QCOMPARE(setAside, pathsOf(replaced));
    // A folder made in place of a game file is listed as what it replaced.
    placed += setAside;
    placed.removeDuplicates();
    placed.sort();
    QCOMPARE(placed, pathsOf(replaced + added));
}

#include "tst_mount.moc"
