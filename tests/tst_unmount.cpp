#include "entryremoval.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QtTest>

#include <cstring>
#include <new>

using namespace TestSupport;

class UnmountTest : public QObject
{
    Q_OBJECT

private slots:
    // Every case but one mounts, or sets up links.
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()) != "pruningNeverClimbsAboveTheGameFolder")
            RUNEMOUNT_NEEDS_LINKS();
    }

    void cleanUnmountRestoresEverything();
    void problemsStayOnRecordUnlessForced();
    void linkToAVanishedModFileIsStillRemoved();
    void noRecordsMeansNoWork();
    void abortKeepsTheLinesNotYetVisited();
    void newerGameEntriesAreNeverOverwritten_data();
    void newerGameEntriesAreNeverOverwritten();
    void checkTellsEveryDifferenceAndChangesNothing();
    void repairMakesTheGameAFreshMountAgain();
    void gameFoldersStayWhereTheyWere();
    void pruningNeverClimbsAboveTheGameFolder();
    void onlyPathsAMountCanHaveWrittenAreUndone();
    void gameFolderTypedWithASlashTooManyStillUnmounts();
    void recordThatCannotBeRewrittenIsReported();
    void workerNeedsNoStoreOnceMade();
};

void UnmountTest::cleanUnmountRestoresEverything()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("war3.mpq"), "game mpq"));
    QVERIFY(Tree::folder(box.game("Maps")));
    QVERIFY(Tree::file(box.modDir("Foo") + "/war3.mpq"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Maps/a.w3x"));
    QVERIFY(Tree::file(box.modDir("Foo") + "/Scripts/b.j"));
    const auto before = Tree::snapshot(box.gameDir);

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->mountModWorker();
    QCOMPARE(log.counts(), QString("3/0/0"));
    log.clear();

    worker->unmountModWorker(false);
    QCOMPARE(log.results.size(), 1);
    QCOMPARE(log.counts(), QString("4/0/0"));
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

    QCOMPARE(log.counts(), QString("2/2/2"));
    // Backups go back last first.
    const QStringList expectedErrors{"Not a symbolic link: " + box.game("plain.txt"),
                                     "Missing file: " + box.game("gone.txt"),
                                     "Failed to move file: " + box.game("no-suffix.txt"),
                                     "Missing file: " + box.game("absent.txt.oxdbackup")};
    QCOMPARE(log.errors, expectedErrors);
    QCOMPARE(readFile(box.game("plain.txt")), QByteArray("a real file, not ours"));
    QVERIFY(!QFileInfo(box.game("ours.txt")).isSymLink());
    QVERIFY(QFileInfo::exists(box.root + "/target.txt"));
    QCOMPARE(readFile(box.game("kept.txt")), QByteArray("kept"));
    // What failed stays on record, byte for byte; empty lines do not survive.
    QCOMPARE(box.outFiles(),
             box.game("plain.txt").toUtf8() + "\n" + box.game("gone.txt").toUtf8() + "\n");
    QCOMPARE(box.backupFiles(), box.game("absent.txt.oxdbackup").toUtf8() + "\n" +
                                    box.game("no-suffix.txt").toUtf8() + "\n");

    // The forced pass handles the same entries the same way, then forgets them.
    log.clear();
    worker->unmountModWorker(true);
    QCOMPARE(log.counts(), QString("0/2/2"));
    QVERIFY(log.last().forced);
    QCOMPARE(log.errors.size(), 4);
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
    QTest::newRow("a newer file") << "file" << false;
    QTest::newRow("a newer folder") << "folder" << false;
    QTest::newRow("a newer file, forced") << "file" << true;
    QTest::newRow("our link only removed") << "nothing" << false;
}

void UnmountTest::newerGameEntriesAreNeverOverwritten()
{
    QFETCH(QString, occupant);
    QFETCH(bool, force);
    Sandbox box;
    QVERIFY(box.isValid());
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
    // The newer entry stands, untouched; the earlier one stays under its recorded name.
    const QString kept =
        "Kept the newer game entry: " + path + " (the earlier one stays as " + backup + ")";
    QCOMPARE(log.errors, (QStringList{"Not a symbolic link: " + path, kept}));
    QCOMPARE(log.counts(), QString("2/2/0"));
    QCOMPARE(readFile(backup), QByteArray("1.26"));
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("game mpq"));
    auto expected = updated;
    expected.remove("war3.mpq.oxdbackup");
    expected["war3.mpq"] = "file:game mpq";
    QCOMPARE(Tree::difference(expected, Tree::snapshot(box.gameDir)), QString());
    QCOMPARE(box.backupFiles(), force ? QByteArray() : backup.toUtf8() + "\n");
    if (!force)
        QCOMPARE(box.unrecordedBackups(before), QStringList());

    // Once the user has dealt with the newer entry, the next unmount puts the earlier one back.
    if (!force) {
        QVERIFY(QDir(path).exists() ? QDir(path).removeRecursively() : QFile::remove(path));
        log.clear();
        worker->unmountModWorker(false);
        // The line of our link, which went with the newer entry, and the earlier version.
        QCOMPARE(log.counts(), QString("1/0/1"));
        QCOMPARE(Tree::difference(before, Tree::snapshot(box.gameDir)), QString());
    }
}

void UnmountTest::checkTellsEveryDifferenceAndChangesNothing()
{
    Sandbox box;
    QVERIFY(box.isValid());
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
    QCOMPARE(log.counts(), QString("5/0/0"));

    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("7/0/0")); // five links, two backups
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
    QVERIFY(Tree::file(mod + "/Scripts/more.j")); // inside a folder linked whole: in place
    QVERIFY(Tree::file(mod + "/.added"));
    const auto gameBefore = Tree::snapshot(box.gameDir);
    const auto appBefore = Tree::snapshot(box.appDir);

    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("2/4/2"));
    QStringList errors = log.errors;
    errors.sort();
    QCOMPARE(errors, (QStringList{"Missing file: " + box.game("Units/UnitData.slk.oxdbackup"),
                                  "Missing file: " + box.game("readme.txt"),
                                  "Missing from the mod: " + box.game("war3.mpq"),
                                  "Not mounted: " + mod + "/Maps/added.w3x",
                                  "Replaced by another entry: " + box.game("Maps/new.w3x"),
                                  "Replaced by another entry: " + box.game("Units/UnitData.slk")}));
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

void UnmountTest::repairMakesTheGameAFreshMountAgain()
{
    Sandbox box;
    QVERIFY(box.isValid());
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
    QCOMPARE(log.counts(), QString("6/0/0"));

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
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(log.counts(), QString("8/0/0")); // six lines on record, two new entries
    // What a fresh mount would give, with the game's replacing entries kept under backup names.
    for (const char *entry :
         {"war3.mpq", "Units/UnitData.slk", "Maps/new.w3x", "readme.txt", "Maps/added.w3x"})
        QCOMPARE(Tree::linkTarget(box.game(entry)), mod + "/" + entry);
    QCOMPARE(Tree::linkTarget(box.game("Scripts")), mod + "/Scripts");
    QCOMPARE(Tree::linkTarget(box.game("Extra")), mod + "/Extra");
    QCOMPARE(readFile(box.game("gone.txt")), QByteArray("game gone"));
    QCOMPARE(readFile(box.game("Units/UnitData.slk.oxdbackup2")), QByteArray("1.27"));
    QCOMPARE(Tree::linkTarget(box.game("Maps/new.w3x.oxdbackup")), box.root + "/elsewhere.w3x");
    QVERIFY(!box.outFiles().contains("gone.txt"));
    QVERIFY(!box.backupFiles().contains("gone.txt"));
    QCOMPARE(box.unrecordedBackups(before), QStringList());

    // The records are exact: the check finds nothing, and a second repair touches nothing.
    log.clear();
    worker->checkModWorker();
    QCOMPARE(log.counts(), QString("11/0/0")); // seven links, four backups
    const auto repaired = Tree::snapshot(box.gameDir);
    const QByteArray outRepaired = box.outFiles();
    log.clear();
    worker->repairModWorker();
    QCOMPARE(log.counts(), QString("7/0/0"));
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
