#include "sandbox.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QtTest>

using namespace TestSupport;

class UnmountTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanUnmountRestoresEverything();
    void problemsStayOnRecordUnlessForced();
    void linkToAVanishedModFileIsStillRemoved();
    void noRecordsMeansNoWork();
    void abortKeepsTheLinesNotYetVisited();
    void restoreSetsAnOccupantAside();
    void gameFoldersStayWhereTheyWere();
    void pruningNeverClimbsAboveTheGameFolder();
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

void UnmountTest::restoreSetsAnOccupantAside()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("war3.mpq.oxdbackup"), "original"));
    QVERIFY(Tree::file(box.game("war3.mpq"), "occupant"));
    QVERIFY(Tree::file(box.game("x.oxdbackup.oxdbackup"), "named like a backup"));
    QVERIFY(writeFile(box.appDir + "/backup_files.txt",
                      box.game("war3.mpq.oxdbackup").toUtf8() + "\n" +
                          box.game("x.oxdbackup.oxdbackup").toUtf8() + "\n"));
    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QCOMPARE(readFile(box.game("war3.mpq")), QByteArray("original"));
    QCOMPARE(readFile(box.game("war3.mpq.oxdbackup2")), QByteArray("occupant"));
    QCOMPARE(readFile(box.game("x.oxdbackup")), QByteArray("named like a backup"));
    QCOMPARE(box.backupFiles(), QByteArray());
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
        auto worker = box.worker("Foo");
        WorkerLog log(worker.get());
        worker->deleteEmptyFolders(box.game("a/b"), QString());
        QVERIFY(!QFileInfo::exists(box.game("a")));
        QVERIFY2(QFileInfo(box.gameDir).isDir(), qPrintable(suffix));
        QVERIFY(log.errors.isEmpty());
    }
}

QTEST_GUILESS_MAIN(UnmountTest)
#include "tst_unmount.moc"
