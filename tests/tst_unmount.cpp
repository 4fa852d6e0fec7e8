#include "entryremoval.h"
#include "fileentry.h"
#include "hardlink.h"
#include "mountrecords.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QtTest>

#include <cstring>
#include <new>

using namespace TestSupport;

namespace
{

// The mod's entry stands at `gamePath` as a mount of that way placed it: a symbolic link to it;
// or a hard link of a file, a real folder for a folder.
bool placedAs(MountWay way, const QString &gamePath, const QString &modPath)
{
    if (way == MountWay::SymbolicLinks)
        return Tree::linkTarget(gamePath) == modPath;
    const QFileInfo game(gamePath);
    if (QFileInfo(modPath).isDir())
        return game.isDir() && !game.isSymLink();
    return !game.isSymLink() &&
           HardLink::sameFile(HardLink::identityOf(FileEntry::nativePath(gamePath)),
                              HardLink::identityOf(FileEntry::nativePath(modPath)));
}

void addWayRows(const char *name, const QStringList &symbolic, const QStringList &hard)
{
    QTest::newRow(name) << MountWay::SymbolicLinks << symbolic;
    QTest::newRow(qPrintable(QString("hard links, ") + name)) << MountWay::HardLinks << hard;
}

} // namespace

class UnmountTest : public QObject
{
    Q_OBJECT

private slots:
    // Every case but one mounts, or sets up links; the rows that mount with hard links and
    // make links of their own say so themselves.
    void init()
    {
        const QByteArray function = QTest::currentTestFunction();
        if (function != "pruningNeverClimbsAboveTheGameFolder" &&
            function != "programsOwnFilesOnRecordAreNeverUndone" &&
            !QByteArray(QTest::currentDataTag()).startsWith("hard links"))
            RUNEMOUNT_NEEDS_LINKS();
    }

    void cleanUnmountRestoresEverything_data();
    void cleanUnmountRestoresEverything();
    void problemsStayOnRecordUnlessForced();
    void linkToAVanishedModFileIsStillRemoved();
    void noRecordsMeansNoWork();
    void abortKeepsTheLinesNotYetVisited();
    void newerGameEntriesAreNeverOverwritten_data();
    void newerGameEntriesAreNeverOverwritten();
    void checkTellsEveryDifferenceAndChangesNothing_data();
    void checkTellsEveryDifferenceAndChangesNothing();
    void repairMakesTheGameAFreshMountAgain_data();
    void repairMakesTheGameAFreshMountAgain();
    void hardLinksGoOnlyWhileTheyAreTheModsFiles();
    void gameFoldersStayWhereTheyWere();
    void pruningNeverClimbsAboveTheGameFolder();
    void onlyPathsAMountCanHaveWrittenAreUndone();
    void programsOwnFilesOnRecordAreNeverUndone_data();
    void programsOwnFilesOnRecordAreNeverUndone();
    void gameFolderTypedWithASlashTooManyStillUnmounts();
    void recordThatCannotBeRewrittenIsReported();
    void workerNeedsNoStoreOnceMade();
};

// Counts of the mount and the unmount after it, for each way: a hard-link mount makes the
// folder Scripts and places its file in it.
void UnmountTest::cleanUnmountRestoresEverything_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QStringList>("counts");
    addWayRows("mount", {"3/0/0", "4/0/0"}, {"4/0/0", "5/0/0"});
}

void UnmountTest::cleanUnmountRestoresEverything()
{
    QFETCH(MountWay, way);
    QFETCH(QStringList, counts);
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::folder(box.game("Maps")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/a.w3x"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Scripts/b.j"));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), counts[0]);
    log.clear();

    worker->unmountModWorker(false);
    QCOMPARE(log.results.size(), 1);
    QCOMPARE(log.counts(), counts[1]);
    QVERIFY(!log.last().aborted);
    QVERIFY(!log.last().forced);
    QCOMPARE(log.actions, (QStringList{"restoring backups...", ""}));
    QVERIFY(log.progress.contains(box.game("Maps/a.w3x")));
    QVERIFY(log.progress.contains("war3.mpq.oxdbackup")); // backups by file name alone
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(box.backupFiles(), QByteArray());
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    QVERIFY(QFileInfo::exists(box.modDir("Foo") + "/Scripts/b.j")); // the mod is untouched
}

void UnmountTest::problemsStayOnRecordUnlessForced()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("plain.txt"), "a real file, not ours"));
    QVERIFY(Tree::file(box.root + "/target.txt"));
    QVERIFY(Tree::link(box.game("ours.txt"), box.root + "/target.txt"));
    QVERIFY(Tree::file(box.game("kept.txt.oxdbackup"), "kept"));
    const QByteArray out = box.game("plain.txt").toUtf8() + "\n\n" + box.game("gone.txt").toUtf8() +
                           "\n" + box.game("ours.txt").toUtf8(); // no final line feed
    const QByteArray backups = box.game("absent.txt.oxdbackup").toUtf8() + "\n" +
                               box.game("no-suffix.txt").toUtf8() + "\n" +
                               box.game("kept.txt.oxdbackup").toUtf8() + "\n";
    QVERIFY(writeFile(box.appDir + "/out_files.txt", out));
    QVERIFY(writeFile(box.appDir + "/backup_files.txt", backups));

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);

    QCOMPARE(log.counts(), QString("2/1/2/1"));
    // Backups go back last first.
    const QStringList expectedErrors{"Left the game's newer entry: " + box.game("plain.txt"),
                                     "Missing file: " + box.game("gone.txt"),
                                     "Failed to move file: " + box.game("no-suffix.txt"),
                                     "Missing file: " + box.game("absent.txt.oxdbackup")};
    QCOMPARE(log.errors, expectedErrors);
    QCOMPARE(readFile(box.game("plain.txt")), QByteArray("a real file, not ours"));
    QVERIFY(!QFileInfo(box.game("ours.txt")).isSymLink());
    QVERIFY(QFileInfo::exists(box.root + "/target.txt"));
    QCOMPARE(readFile(box.game("kept.txt")), QByteArray("kept"));
    // What failed stays on record, byte for byte; empty lines do not survive. The entry that
    // took our link's place is not ours to undo.
    QCOMPARE(box.outFiles(), box.game("gone.txt").toUtf8() + "\n");
    QCOMPARE(box.backupFiles(), box.game("absent.txt.oxdbackup").toUtf8() + "\n" +
                                    box.game("no-suffix.txt").toUtf8() + "\n");

    // The forced pass handles the same entries the same way, then forgets them.
    log.clear();
    worker->unmountModWorker(true);
    QCOMPARE(log.counts(), QString("0/1/2"));
    QVERIFY(log.last().forced);
    QCOMPARE(log.errors.size(), 3);
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(box.backupFiles(), QByteArray());
    QCOMPARE(readFile(box.game("plain.txt")), QByteArray("a real file, not ours"));
}

void UnmountTest::linkToAVanishedModFileIsStillRemoved()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Maps")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/a.w3x"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Scripts/b.j"));
    const auto before = Tree::snapshot(box.gameDir);
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("2/0/0"));

    // The user deletes mod content while it is mounted: the links now point nowhere.
    QVERIFY(QFile::remove(box.modDir("Foo") + "/Maps/a.w3x"));
    QVERIFY(QDir(box.modDir("Foo") + "/Scripts").removeRecursively());
    log.clear();
    worker->unmountModWorker(false);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

void UnmountTest::noRecordsMeansNoWork()
{
    Sandbox box;
    QVERIFY(box.isValid());
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->unmountModWorker(true);
    QCOMPARE(log.counts(), QString("0/0/0"));
    QVERIFY(log.last().forced);
    QVERIFY(log.progress.isEmpty() && log.errors.isEmpty() && log.actions.isEmpty());
    QCOMPARE(box.outFiles(), QByteArray("<absent>")); // neither created nor rewritten
    QCOMPARE(box.backupFiles(), QByteArray("<absent>"));

    // An existing empty backup record is still worked through and rewritten.
    QVERIFY(writeFile(box.appDir + "/backup_files.txt", "\n\n"));
    log.clear();
    worker->unmountModWorker(false);
    QCOMPARE(log.counts(), QString("0/0/0"));
    QCOMPARE(log.actions, (QStringList{"restoring backups...", ""}));
    QCOMPARE(box.backupFiles(), QByteArray());

    // Already aborted: nothing is read or changed.
    QVERIFY(writeFile(box.appDir + "/out_files.txt", box.game("x").toUtf8() + "\n"));
    auto aborted = box.worker("Foo");
    WorkerLog abortedLog(aborted.get());
    aborted->aborted = true;
    aborted->unmountModWorker(false);
    QCOMPARE(abortedLog.counts(), QString("0/0/0"));
    QVERIFY(abortedLog.last().aborted);
    QCOMPARE(box.outFiles(), box.game("x").toUtf8() + "\n");
}

void UnmountTest::abortKeepsTheLinesNotYetVisited()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Maps")));
    for (int i = 0; i < 5; ++i)
        QVERIFY(Tree::file(box.modDir("Foo") + QString("/Maps/%1.w3x").arg(i)));
    QVERIFY(Tree::file(box.game("Maps/0.w3x"), "game 0"));
    const auto before = Tree::snapshot(box.gameDir);
    {
        auto mounter = box.worker("Foo");
        mounter->mountModWorker();
    }
    const QStringList placed = QString::fromUtf8(box.outFiles()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(placed.size(), 5);
    const QByteArray backups = box.backupFiles();

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    QObject::connect(worker.get(), &Worker::status, worker.get(), [&](const QString &, bool error) {
        if (!error && log.progress.size() == 2)
            worker->aborted = true;
    });
    worker->unmountModWorker(false);
    QVERIFY(log.last().aborted);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QVERIFY(log.actions.isEmpty()); // the backups were not reached
    QCOMPARE(box.outFiles(), (placed.mid(2).join('\n') + "\n").toUtf8());
    QCOMPARE(box.backupFiles(), backups);

    // A later unmount finishes the job.
    auto again = box.worker("Foo");
    WorkerLog againLog(again.get());
    again->unmountModWorker(false);
    QCOMPARE(againLog.counts(), QString("4/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

void UnmountTest::newerGameEntriesAreNeverOverwritten_data()
{
    QTest::addColumn<QString>("occupant"); // what the game puts where our link was
    QTest::addColumn<bool>("force");
    QTest::addColumn<MountWay>("way");
    for (const MountWay way : {MountWay::SymbolicLinks, MountWay::HardLinks}) {
        const QString prefix = way == MountWay::HardLinks ? "hard links, " : "";
        QTest::newRow(qPrintable(prefix + "a newer file")) << "file" << false << way;
        QTest::newRow(qPrintable(prefix + "a newer folder")) << "folder" << false << way;
        QTest::newRow(qPrintable(prefix + "a newer file, forced")) << "file" << true << way;
        QTest::newRow(qPrintable(prefix + "our link only removed")) << "nothing" << false << way;
    }
}

void UnmountTest::newerGameEntriesAreNeverOverwritten()
{
    QFETCH(QString, occupant);
    QFETCH(bool, force);
    QFETCH(MountWay, way);
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "1.26"));
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Units/UnitData.slk", "mod"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq", "mod mpq"));
    const auto before = Tree::snapshot(box.gameDir);
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("2/0/0"));

    // A game update replaces our link with its own newer entry.
    const QString path = box.game("Units/UnitData.slk");
    const QString backup = path + ".oxdbackup";
    QVERIFY(QFile::remove(path));
    if (occupant == "file")
        QVERIFY(Tree::file(path, "1.27"));
    else if (occupant == "folder")
        QVERIFY(Tree::file(path + "/inside", "1.27"));
    const auto updated = Tree::snapshot(box.gameDir);
    log.clear();
    worker->unmountModWorker(force);

    if (occupant == "nothing") {
        QCOMPARE(log.counts(), QString("3/0/1"));
        QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
        QCOMPARE(box.backupFiles(), QByteArray());
        return;
    }
    // The newer entry stands, untouched; the earlier one stays under its name, listed as kept.
    // Neither is a failure: the records are done with, and the path counts once.
    const QString kept =
        "Kept the newer game entry: " + path + " (the earlier one stays as " + backup + ")";
    QCOMPARE(log.errors, (QStringList{"Left the game's newer entry: " + path, kept}));
    QCOMPARE(log.counts(), QString("2/0/0/1"));
    QCOMPARE(readFile(backup), QByteArray("1.26"));
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("game mpq"));
    auto expected = updated;
    expected.remove("war3.mpq.oxdbackup");
    expected["war3.mpq"] = "file:game mpq";
    QCOMPARE(Tree::difference(expected, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(box.backupFiles(), QByteArray());
    QCOMPARE(box.keptBackups(), backup.toUtf8() + "\n");
    QCOMPARE(box.unrecordedBackups(before), QStringList());

    // A later mount and unmount leave the list of kept entries as it is, and keep the newer
    // entry again.
    log.clear();
    worker->mountModWorker();
    QCOMPARE(box.keptBackups(), backup.toUtf8() + "\n");
    worker->unmountModWorker(false);
    QCOMPARE(log.results.size(), 2);
    QCOMPARE(log.last().failed + log.last().kept, 0);
    QCOMPARE(Tree::difference(expected, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.keptBackups(), backup.toUtf8() + "\n");
}

// Counts of the mount, of the check after it and of the check after the world changed. With
// hard links, Scripts is a folder the mount made, its file placed in it; the world takes it.
void UnmountTest::checkTellsEveryDifferenceAndChangesNothing_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QStringList>("counts");
    addWayRows("check", {"5/0/0", "7/0/0", "2/4/2"}, {"6/0/0", "8/0/0", "1/5/4"});
}

void UnmountTest::checkTellsEveryDifferenceAndChangesNothing()
{
    QFETCH(MountWay, way);
    QFETCH(QStringList, counts);
    // The world changes with a link of its own.
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "game units"));
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString mod = box.modDir("Foo");
    for (const char *entry :
         {"war3.mpq", "Units/UnitData.slk", "Maps/new.w3x", "Scripts/a.j", "readme.txt", ".hidden"})
        QVERIFY(Tree::file(mod + "/" + entry, "mod"));
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), counts[0]);

    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), counts[1]); // every placed entry, two backups
    QCOMPARE(log.errors, QStringList());
    QCOMPARE(log.results.size(), 1);

    // The world changes under the mount.
    QVERIFY(QFile::remove(box.game("readme.txt")));
    QVERIFY(QFile::remove(box.game("Units/UnitData.slk")));
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "game update"));
    QVERIFY(QFile::remove(box.game("Maps/new.w3x")));
    QVERIFY(Tree::link(box.game("Maps/new.w3x"), box.root + "/elsewhere.w3x"));
    QVERIFY(QFile::remove(mod + "/war3.mpq"));
    QVERIFY(QFile::remove(box.game("Units/UnitData.slk.oxdbackup")));
    QVERIFY(Tree::file(mod + "/Maps/added.w3x"));
    // Inside a folder linked whole it is in place; in a folder the mount made it is not.
    QVERIFY(Tree::file(mod + "/Scripts/more.j"));
    QVERIFY(Tree::file(mod + "/.added"));
    // A folder the mount made goes with what it held.
    if (way == MountWay::HardLinks)
        QVERIFY(QDir(box.game("Scripts")).removeRecursively());
    const auto gameBefore = Tree::snapshot(box.gameDir);
    const auto appBefore = Tree::snapshot(box.appDir);

    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), counts[2]);
    QStringList errors = log.errors;
    errors.sort();
    QStringList expected{"Missing file: " + box.game("Units/UnitData.slk.oxdbackup"),
                         "Missing file: " + box.game("readme.txt"),
                         "Missing from the mod: " + mod + "/war3.mpq",
                         "Not mounted: " + mod + "/Maps/added.w3x",
                         "Replaced by another entry: " + box.game("Maps/new.w3x"),
                         "Replaced by another entry: " + box.game("Units/UnitData.slk")};
    if (way == MountWay::HardLinks) {
        // With the folder gone, the mod's folder is not mounted as a whole.
        expected << "Not mounted: " + mod + "/Scripts"
                 << "Missing file: " + box.game("Scripts/a.j")
                 << "Missing folder: " + box.game("Scripts");
        expected.sort();
    }
    QCOMPARE(errors, expected);
    QVERIFY(!log.last().aborted);
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(Tree::difference(appBefore, Tree::snapshot(box.appDir)), QString());

    // Stopped before it starts, it looks at nothing.
    log.clear();
    worker->aborted = true;
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("0/0/0"));
    QVERIFY(log.last().aborted);
}

// Counts of the mount, the repair, the check and the second repair. With hard links, Scripts and
// Extra are folders the mount made, each with its file placed in it.
void UnmountTest::repairMakesTheGameAFreshMountAgain_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QStringList>("counts");
    addWayRows("repair", {"6/0/0", "8/0/0/2", "11/0/0", "7/0/0"},
               {"7/0/0", "10/0/0/2", "13/0/0", "9/0/0"});
}

void UnmountTest::repairMakesTheGameAFreshMountAgain()
{
    QFETCH(MountWay, way);
    QFETCH(QStringList, counts);
    // The world changes with a link of its own.
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "1.26"));
    QVERIFY(Tree::file(box.game("gone.txt"), "game gone"));
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString mod = box.modDir("Foo");
    for (const char *entry : {"war3.mpq", "Units/UnitData.slk", "Maps/new.w3x", "Scripts/a.j",
                              "readme.txt", "gone.txt"})
        QVERIFY(Tree::file(mod + "/" + entry, "mod"));
    const auto before = Tree::snapshot(box.gameDir);
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), counts[0]);

    // The world changes under the mount: a game update, a link lost, a link made elsewhere,
    // the mod edited.
    QVERIFY(QFile::remove(box.game("readme.txt")));
    QVERIFY(QFile::remove(box.game("Units/UnitData.slk")));
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "1.27"));
    QVERIFY(QFile::remove(box.game("Maps/new.w3x")));
    QVERIFY(Tree::link(box.game("Maps/new.w3x"), box.root + "/elsewhere.w3x"));
    QVERIFY(QFile::remove(mod + "/gone.txt"));
    QVERIFY(Tree::file(mod + "/Maps/added.w3x", "mod"));
    QVERIFY(Tree::file(mod + "/Extra/x.txt", "mod"));

    log.clear();
    worker->repairModWorker();
    // The lines on record, the new entries, and the game's entries set aside.
    QCOMPARE(log.counts(), counts[1]);
    QStringList setAside = log.errors;
    setAside.sort();
    QCOMPARE(setAside,
             (QStringList{"Set aside the game's newer entry: " + box.game("Maps/new.w3x") +
                              " (it stays as " + box.game("Maps/new.w3x.oxdbackup") + ")",
                          "Set aside the game's newer entry: " + box.game("Units/UnitData.slk") +
                              " (it stays as " + box.game("Units/UnitData.slk.oxdbackup2") + ")"}));
    // What a fresh mount would give, with the game's replacing entries kept under backup names.
    for (const char *entry : {"war3.mpq", "Units/UnitData.slk", "Maps/new.w3x", "readme.txt",
                              "Maps/added.w3x", "Scripts", "Extra"})
        QVERIFY2(placedAs(way, box.game(entry), mod + "/" + entry), entry);
    if (way == MountWay::HardLinks)
        QVERIFY(placedAs(way, box.game("Extra/x.txt"), mod + "/Extra/x.txt"));
    QCOMPARE(readFile(box.game("gone.txt")), QByteArray("game gone"));
    QCOMPARE(readFile(box.game("Units/UnitData.slk.oxdbackup2")), QByteArray("1.27"));
    QCOMPARE(Tree::linkTarget(box.game("Maps/new.w3x.oxdbackup")), box.root + "/elsewhere.w3x");
    QVERIFY(!box.outFiles().contains("gone.txt"));
    QVERIFY(!box.backupFiles().contains("gone.txt"));
    QCOMPARE(box.unrecordedBackups(before), QStringList());

    // The records are exact: the check finds nothing, and a second repair touches nothing.
    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), counts[2]); // every placed entry, four backups
    const auto repaired = Tree::snapshot(box.gameDir);
    const QByteArray outRepaired = box.outFiles();
    log.clear();
    worker->repairModWorker();
    QCOMPARE(log.counts(), counts[3]);
    QCOMPARE(Tree::difference(repaired, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles(), outRepaired);

    // The unmount gives the game its newest entries, the earlier version kept beside on record.
    log.clear();
    worker->unmountModWorker(false);
    QCOMPARE(log.errors,
             QStringList{"Kept the newer game entry: " + box.game("Units/UnitData.slk") +
                         " (the earlier one stays as " + box.game("Units/UnitData.slk.oxdbackup") +
                         ")"});
    QCOMPARE(readFile(box.game("Units/UnitData.slk")), QByteArray("1.27"));
    QCOMPARE(readFile(box.game("Units/UnitData.slk.oxdbackup")), QByteArray("1.26"));
    QCOMPARE(Tree::linkTarget(box.game("Maps/new.w3x")), box.root + "/elsewhere.w3x");
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("game mpq"));
    QCOMPARE(box.unrecordedBackups(before), QStringList());
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(box.backupFiles(), QByteArray());
    QCOMPARE(box.keptBackups(), box.game("Units/UnitData.slk.oxdbackup").toUtf8() + "\n");
    QCOMPARE(log.last().kept, 1);
    QCOMPARE(log.last().failed, 0);
}

// A hard link goes only while it is the mod's file: by its recorded identity, or, where that
// never reached the record (a kill right after the link was made), by the mod's file read now.
// A folder the mount made goes once empty; one holding anything else stays on record.
void UnmountTest::hardLinksGoOnlyWhileTheyAreTheModsFiles()
{
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(MountWay::HardLinks);
    const QString mod = box.modDir("Foo");
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(mod + "/war3.mpq", "mod mpq"));
    QVERIFY(Tree::file(mod + "/other.txt", "mod other"));
    QVERIFY(Tree::file(mod + "/Scripts/a.j", "mod script"));
    QVERIFY(Tree::link(mod + "/link", mod + "/war3.mpq"));
    const auto modBefore = Tree::snapshot(mod);
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    // A link of the mod has no file to give a second name.
    QCOMPARE(log.counts(), QString("4/1/0"));
    QCOMPARE(log.errors, QStringList{"Failed to create hard link to file: " + mod + "/link"});
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("mod mpq"));

    // Neither identity reached the record; the game replaced other.txt by a file of its own and
    // put one into the folder the mount made.
    MountRecords records(box.appDir + "/out_files.txt", box.appDir + "/backup_files.txt");
    std::vector<MountRecords::Placed> entries = records.readPlaced().entries;
    for (MountRecords::Placed &entry : entries)
        if (!QString::fromUtf8(entry.path.c_str()).endsWith("a.j"))
            entry.identity = HardLink::Identity();
    QVERIFY(records.keepOnlyPlaced(entries));
    QVERIFY(QFile::remove(box.game("other.txt")));
    QVERIFY(Tree::file(box.game("other.txt"), "game other"));
    QVERIFY(Tree::file(box.game("Scripts/user.txt"), "user"));
    log.clear();
    worker->unmountModWorker(false);
    // Both are the game's now: they stay, and the mount is undone.
    QCOMPARE(log.errors,
             (QStringList{"Left the game's newer entry: " + box.game("other.txt"),
                          "Kept a folder that holds other entries: " + box.game("Scripts")}));
    QCOMPARE(log.counts(), QString("3/0/0/2")); // war3.mpq, Scripts/a.j and the backup
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("game mpq"));
    QCOMPARE(readFile(box.game("other.txt")), QByteArray("game other"));
    QCOMPARE(entryNames(box.game("Scripts")), QStringList{"user.txt"});
    QCOMPARE(Tree::difference(modBefore, Tree::snapshot(mod)), QString());
    QCOMPARE(records.readPlaced().entries.size(), size_t(0));
}

void UnmountTest::gameFoldersStayWhereTheyWere()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // Folders of the game that hold nothing but what the mod put there are still the game's.
    QVERIFY(Tree::folder(box.game("Maps/Download")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/Download/a.w3x"));
    const auto before = Tree::snapshot(box.gameDir);
    auto worker = box.worker("Foo");
    worker->mountModWorker();
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);
    QCOMPARE(log.counts(), QString("1/0/0"));
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

void UnmountTest::pruningNeverClimbsAboveTheGameFolder()
{
    // A game folder written with a trailing "/" or "/." is still the game folder.
    for (const QString &suffix : {QString("/"), QString("/./"), QString("//.")}) {
        Sandbox box;
        QVERIFY(box.isValid());
        box.config->set("GamePath", (box.gameDir + suffix).toStdString());
        QVERIFY(Tree::folder(box.game("a/b")));
        const WorkerPaths paths = WorkerPaths::of(*box.config);
        QStringList errors;
        EntryRemoval removal(paths.game, paths.mods, [&errors](const QString &text, bool error) {
            if (error)
                errors << text;
        });
        removal.deleteEmptyFolders(box.game("a/b"), QString());
        QVERIFY(!QFileInfo::exists(box.game("a")));
        QVERIFY2(QFileInfo(box.gameDir).isDir(), qPrintable(suffix));
        QVERIFY(errors.isEmpty());
    }
}

void UnmountTest::onlyPathsAMountCanHaveWrittenAreUndone()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const QString outside = box.root + "/outside";
    QVERIFY(Tree::file(outside + "/target.txt", "not the game's"));
    QVERIFY(Tree::file(outside + "/secret.txt", "stays outside"));
    QVERIFY(Tree::link(outside + "/link", outside + "/target.txt"));
    QVERIFY(Tree::link(box.root + "/relative-link", outside + "/target.txt"));
    // A link below the game folder leads out of it; the mount never descends into one.
    QVERIFY(Tree::link(box.game("Linked"), outside));
    QVERIFY(Tree::folder(box.game("x.oxdbackup")));
    // One line of each kind that is the mount's own.
    QVERIFY(Tree::link(box.game("ours"), outside + "/target.txt"));
    QVERIFY(Tree::file(box.game("war3.mpq.oxdbackup"), "game mpq"));
    const auto outsideBefore = Tree::snapshot(box.root + "/outside");

    const QStringList untrustedPlaced{
        "relative-link",    outside + "/link",       box.game("Maps/../../outside/link"),
        box.game("./ours"), box.game("Linked/link"), box.gameDir};
    const QStringList untrustedBackups{box.game("x.oxdbackup/../../outside/secret.txt"),
                                       outside + "/target.txt.oxdbackup",
                                       box.game("Linked/secret.txt.oxdbackup")};
    QVERIFY(writeFile(box.appDir + "/out_files.txt",
                      (untrustedPlaced.join('\n') + "\n" + box.game("ours") + "\n").toUtf8()));
    QVERIFY(writeFile(
        box.appDir + "/backup_files.txt",
        (box.game("war3.mpq.oxdbackup") + "\n" + untrustedBackups.join('\n') + "\n").toUtf8()));
    // Relative lines would be taken from wherever the program was started.
    const QString startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(box.root));

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);
    QCOMPARE(log.counts(), QString("2/9/0"));
    QStringList expected;
    for (const QString &line : untrustedPlaced + untrustedBackups)
        expected << "Not a recorded path inside the game folder: " + line;
    QStringList errors = log.errors;
    errors.sort();
    expected.sort();
    QCOMPARE(errors, expected);
    QVERIFY(QFileInfo(box.root + "/relative-link").isSymLink());
    QCOMPARE(Tree::difference(outsideBefore, Tree::snapshot(box.root + "/outside")), QString());
    QVERIFY(!QFileInfo::exists(box.game("x")));
    QVERIFY(!QFileInfo::exists(box.game("ours")));
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("game mpq"));
    // They stay on record, byte for byte, until a forced unmount forgets them unread.
    QCOMPARE(box.outFiles(), (untrustedPlaced.join('\n') + "\n").toUtf8());
    QStringList backupsKept = untrustedBackups;
    QCOMPARE(box.backupFiles(), (backupsKept.join('\n') + "\n").toUtf8());
    log.clear();
    worker->unmountModWorker(true);
    QCOMPARE(log.counts(), QString("0/9/0"));
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(box.backupFiles(), QByteArray());
    QCOMPARE(Tree::difference(outsideBefore, Tree::snapshot(box.root + "/outside")), QString());
    QVERIFY(QFileInfo(box.root + "/relative-link").isSymLink());
    QVERIFY(QDir::setCurrent(startFolder));
}

void UnmountTest::programsOwnFilesOnRecordAreNeverUndone_data()
{
    QTest::addColumn<QString>("placed");  // below the game folder, or empty
    QTest::addColumn<QString>("backup");  // below the game folder, or empty
    QTest::addColumn<QString>("present"); // what stands there, below the program's folder
    QTest::newRow("the program's settings") << "app/config.cfg"
                                            << ""
                                            << "config.cfg";
    QTest::newRow("a backup of the program's") << ""
                                               << "app/notes.txt.oxdbackup"
                                               << "notes.txt.oxdbackup";
    QTest::newRow("a backup in the mods folder") << ""
                                                 << "app/mods/Foo/a.txt.oxdbackup"
                                                 << "mods/Foo/a.txt.oxdbackup";
    QTest::newRow("names in another case") << ""
                                           << "APP/notes.txt.oxdbackup"
                                           << "notes.txt.oxdbackup";
}

void UnmountTest::programsOwnFilesOnRecordAreNeverUndone()
{
    QFETCH(QString, placed);
    QFETCH(QString, backup);
    QFETCH(QString, present);
    Sandbox box(Sandbox::AppPlace::InsideGame);
    QVERIFY(box.isValid());
    if (!QFileInfo::exists(box.appDir + "/" + present))
        QVERIFY(Tree::file(box.appDir + "/" + present, "the program's"));
    const QString line = box.game(placed.isEmpty() ? backup : placed);
    QVERIFY(writeFile(box.appDir + (placed.isEmpty() ? "/backup_files.txt" : "/out_files.txt"),
                      line.toUtf8() + "\n"));
    auto before = Tree::snapshot(box.appDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);
    QCOMPARE(log.errors, QStringList{"Not a recorded path inside the game folder: " + line});
    QCOMPARE(log.counts(), QString("0/1/0"));
    // Nothing there was moved or removed, and the line stays on record (rewritten with the
    // platform's line end).
    const QByteArray record = placed.isEmpty() ? box.backupFiles() : box.outFiles();
    QCOMPARE(record.trimmed(), line.toUtf8());
    auto after = Tree::snapshot(box.appDir);
    for (auto *snapshot : {&before, &after}) {
        snapshot->remove("out_files.txt");
        snapshot->remove("backup_files.txt");
    }
    QCOMPARE(Tree::difference(before, after), QString());
}

void UnmountTest::gameFolderTypedWithASlashTooManyStillUnmounts()
{
    Sandbox box;
    QVERIFY(box.isValid());
    box.config->set("GamePath", (box.gameDir + "/").toStdString());
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::folder(box.game("Maps")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/a.w3x"));
    const auto before = Tree::snapshot(box.gameDir);
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("2/0/0"));
    QVERIFY(box.outFiles().contains(box.gameDir.toUtf8() + "//Maps/a.w3x\n"));
    QVERIFY(box.backupFiles().contains("//war3.mpq.oxdbackup\n"));

    // Also after the slash has been taken out of the setting again.
    box.config->set("GamePath", box.gameDir.toStdString());
    auto unmounter = box.worker("Foo");
    WorkerLog unmountLog(unmounter.get());
    unmounter->unmountModWorker(false);
    QVERIFY2(unmountLog.errors.isEmpty(), qPrintable(unmountLog.errors.join('\n')));
    QCOMPARE(unmountLog.counts(), QString("3/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
}

void UnmountTest::recordThatCannotBeRewrittenIsReported()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Scripts/a.j"));
    const auto before = Tree::snapshot(box.gameDir);
    box.worker("Foo")->mountModWorker();
    const QByteArray backups = box.backupFiles();
    QVERIFY(!backups.isEmpty());

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    {
        Immutable locked(box.appDir + "/out_files.txt");
        RUNEMOUNT_NEEDS_ROOT(locked.ok(), "chattr +i");
        worker->unmountModWorker(false);
    }
    // The links are gone, but nothing of the game is put back at their paths while the record
    // still lists them.
    QCOMPARE(log.counts(), QString("2/1/0"));
    QCOMPARE(log.errors,
             QStringList{"Failed to write record file: " + box.appDir + "/out_files.txt"});
    QVERIFY(log.actions.isEmpty());
    QCOMPARE(box.backupFiles(), backups);
    QVERIFY(!QFileInfo::exists(box.game("war3.mpq")));
    QCOMPARE(readFile(box.game("war3.mpq.oxdbackup")), QByteArray("game mpq"));

    // The links it removed are known as removed: the next unmount ends without problems.
    auto again = box.worker("Foo");
    WorkerLog againLog(again.get());
    again->unmountModWorker(false);
    QVERIFY2(againLog.errors.isEmpty(), qPrintable(againLog.errors.join('\n')));
    QCOMPARE(againLog.counts(), QString("3/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles(), QByteArray());
    QCOMPARE(entryNames(box.appDir),
             (QStringList{"backup_files.txt", "config.cfg", "mods", "out_files.txt"}));
}

void UnmountTest::workerNeedsNoStoreOnceMade()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    const auto before = Tree::snapshot(box.gameDir);
    box.worker("Foo")->mountModWorker();

    // A store that is gone, its memory overwritten, as after the window closed.
    alignas(ConfigStore) unsigned char storage[sizeof(ConfigStore)];
    auto *store = new (storage) ConfigStore(utf8(box.appDir));
    Worker worker(WorkerPaths::of(*store), "Foo");
    store->~ConfigStore();
    std::memset(storage, 0xa5, sizeof storage);
    WorkerLog log(&worker);
    worker.unmountModWorker(false);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.outFiles(), QByteArray());
}

QTEST_GUILESS_MAIN(UnmountTest)
#include "tst_unmount.moc"
