#include "entrycalls.h"
#include "fileentry.h"
#include "fileoutcome.h"
#include "foldermeasure.h"
#include "sandbox.h"
#include "scantext.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace TestSupport;

Q_DECLARE_METATYPE(TransferMode)

class FileOpsTest : public QObject
{
    Q_OBJECT

private slots:
    void measureCountsWhatADeleteRemoves();
    void measureFollowsOnlyItsOwnFolder_data();
    void measureFollowsOnlyItsOwnFolder();
    void deleteRemovesTheModAndNothingElse();
    void deleteRefusesANameThatIsNotAMod();
    void deleteTakesReadOnlyAndHiddenEntriesWhole_data();
    void deleteTakesReadOnlyAndHiddenEntriesWhole();
    void copyAddLeavesTheSourceAndBacksUpTheTarget();
    void moveAddPrunesUpToTheChosenFolderOnly();
    void addSkipsLinksAndLeavesThemInTheSource_data();
    void addSkipsLinksAndLeavesThemInTheSource();
    void failedCopyPutsTheBackupStraightBack();
    void abortInsideALargeCopyLeavesNothing_data();
    void abortInsideALargeCopyLeavesNothing();
    void pathsBeyondTheOldWindowsLimitWork();
};

void FileOpsTest::measureCountsWhatADeleteRemoves()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const std::atomic<bool> going{false};
    auto scan = [&](const QString &mod, int) {
        const FolderMeasure::Totals totals = FolderMeasure::of(box.modDir(mod), going);
        return QStringList{ScanText::size(ScanText::megabytes(totals.bytes)) + " | " +
                           ScanText::files(totals.files)};
    };

    QVERIFY(Tree::file(box.modDir("One") + "/a", QByteArray(1048576, 'x')));
    QCOMPARE(scan("One", 4), QStringList{"1 MB | 1 files"});

    QVERIFY(Tree::file(box.modDir("Odd") + "/sub/a", QByteArray(1500000, 'x')));
    QCOMPARE(scan("Odd", 0), QStringList{"1.43 MB | 1 files"});

    QVERIFY(Tree::file(box.modDir("Small") + "/a", QByteArray(2048, 'x')));
    QVERIFY(Tree::file(box.modDir("Small") + "/b/c", QByteArray(3072, 'x')));
    QVERIFY(Tree::file(box.modDir("Small") + "/.hidden", QByteArray(4000000, 'x')));
    // Hidden files count: a Delete takes them with the rest.
    QCOMPARE(scan("Small", 1), QStringList{"3.82 MB | 3 files"});

    QVERIFY(Tree::file(box.modDir("Three") + "/a", QByteArray(524288, 'x')));
    QVERIFY(Tree::file(box.modDir("Three") + "/b", QByteArray(524288, 'x')));
    QVERIFY(Tree::file(box.modDir("Three") + "/c", QByteArray(524288, 'x')));
    QCOMPARE(scan("Three", 2), QStringList{"1.5 MB | 3 files"});

    QVERIFY(Tree::folder(box.modDir("Empty/sub")));
    QCOMPARE(scan("Empty", 7), QStringList{"0 MB | 0 files"});
    QCOMPARE(scan("Absent", 8), QStringList{"0 MB | 0 files"});

    // Links count as entries of their own, never with their targets' sizes or contents.
    RUNEMOUNT_NEEDS_LINKS();
    QVERIFY(Tree::file(box.root + "/big", QByteArray(3000000, 'x')));
    QVERIFY(Tree::file(box.root + "/Folder/a", QByteArray(3000000, 'x')));
    QVERIFY(Tree::link(box.modDir("Links") + "/file", box.root + "/big"));
    QVERIFY(Tree::link(box.modDir("Links") + "/sub/folder", box.root + "/Folder"));
    QVERIFY(Tree::link(box.modDir("Links") + "/gone", box.root + "/nothing"));
    QCOMPARE(scan("Links", 9), QStringList{"0 MB | 3 files"});
}

void FileOpsTest::measureFollowsOnlyItsOwnFolder_data()
{
    QTest::addColumn<QStringList>("files"); // path:bytes
    QTest::addColumn<bool>("throughLink");  // the measured folder is a link to them
    QTest::addColumn<QString>("locked");    // a subfolder nobody may read
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<qint64>("count");
    const QStringList two{"a:3", "b/c:4"};
    // A mod in the list may be a link to its folder.
    QTest::newRow("itself a link") << two << true << QString() << false << qint64(7) << qint64(2);
    QTest::newRow("stopped before") << two << false << QString() << true << qint64(0) << qint64(0);
    QTest::newRow("unreadable subfolder")
        << QStringList{"a:3", "Locked/b:4", "Locked/c/d:5"} << false << QString("Locked") << false
        << qint64(3) << qint64(1);
}

void FileOpsTest::measureFollowsOnlyItsOwnFolder()
{
    QFETCH(QStringList, files);
    QFETCH(bool, throughLink);
    QFETCH(QString, locked);
    QFETCH(bool, stopped);
    QFETCH(qint64, bytes);
    QFETCH(qint64, count);
    Sandbox box;
    QVERIFY(box.isValid());
    const QString real = box.root + "/real";
    for (const QString &file : files)
        QVERIFY(Tree::file(real + "/" + file.section(':', 0, 0),
                           QByteArray(file.section(':', 1).toInt(), 'x')));
    QString measured = real;
    if (throughLink) {
        RUNEMOUNT_NEEDS_LINKS();
        measured = box.root + "/link";
        QVERIFY(Tree::link(measured, real));
    }
    std::unique_ptr<NormalUser> user;
    if (!locked.isEmpty()) {
#ifdef Q_OS_WIN
        RUNEMOUNT_SKIP("Windows has no permission bits that keep a folder from being listed");
#endif
        if (runningAsRoot()) { // root reads any folder
            user = std::make_unique<NormalUser>(box.root);
            if (!user->ok())
                RUNEMOUNT_SKIP("needs root on Linux, to act as a normal user");
        }
        QVERIFY(QFile::setPermissions(real + "/" + locked, QFile::Permissions()));
    }
    const std::atomic<bool> stop{stopped};
    const FolderMeasure::Totals totals = FolderMeasure::of(measured, stop);
    if (!locked.isEmpty()) // so that the sandbox can be removed
        QFile::setPermissions(real + "/" + locked,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(totals.bytes, bytes);
    QCOMPARE(totals.files, count);
}

void FileOpsTest::deleteRemovesTheModAndNothingElse()
{
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    const QString mod = box.modDir("Foo");
    QVERIFY(Tree::file(box.root + "/outside/keep.txt", "keep"));
    QVERIFY(Tree::file(box.root + "/outside.txt", "keep too"));
    QVERIFY(Tree::file(mod + "/a.txt"));
    QVERIFY(Tree::file(mod + "/Maps/deep/b.txt"));
    QVERIFY(Tree::folder(mod + "/Empty/Emptier"));
    QVERIFY(Tree::link(mod + "/Maps/outside", box.root + "/outside"));
    QVERIFY(Tree::link(mod + "/file-link", box.root + "/outside.txt"));
    QVERIFY(Tree::link(mod + "/Maps/dangling", box.root + "/nowhere"));
    QVERIFY(Tree::file(box.modDir("Other") + "/c.txt"));

    auto worker = box.worker("Foo");
    WorkerLog log(worker.get());
    worker->deleteModWorker();
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(log.counts(), QString("5/0/0"));
    QVERIFY(!QFileInfo::exists(mod));
    QVERIFY(log.progress.contains(mod + "/Maps/deep/b.txt")); // full paths here
    // Links are removed as links: what they point to is untouched.
    QCOMPARE(readFile(box.root + "/outside/keep.txt"), QByteArray("keep"));
    QCOMPARE(readFile(box.root + "/outside.txt"), QByteArray("keep too"));
    QVERIFY(QFileInfo::exists(box.modDir("Other") + "/c.txt"));
    QVERIFY(QFileInfo(box.modsDir).isDir());

    // Only empty folders: all go, nothing is counted.
    QVERIFY(Tree::folder(box.modDir("Hollow") + "/a/b"));
    QVERIFY(Tree::folder(box.modDir("Hollow") + "/c"));
    auto hollow = box.worker("Hollow");
    WorkerLog hollowLog(hollow.get());
    hollow->deleteModWorker();
    QCOMPARE(hollowLog.counts(), QString("0/0/0"));
    QVERIFY(!QFileInfo::exists(box.modDir("Hollow")));
}

void FileOpsTest::deleteRefusesANameThatIsNotAMod()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.modDir("Foo") + "/a.txt"));
    for (const QString &name : {QString(), QString("."), QString(".."), QString("Foo/..")}) {
        auto worker = box.worker(name);
        WorkerLog log(worker.get());
        worker->deleteModWorker();
        QCOMPARE(log.counts(), QString("0/1/0"));
    }
    QVERIFY(QFileInfo::exists(box.modDir("Foo") + "/a.txt"));
    QVERIFY(QFileInfo::exists(box.appDir + "/config.cfg"));
}

void FileOpsTest::deleteTakesReadOnlyAndHiddenEntriesWhole_data()
{
    QTest::addColumn<bool>("asNormalUser");
    QTest::newRow("as run") << false;
    // Root may remove entries in a folder without write permission; a normal user may not.
    QTest::newRow("as a normal user") << true;
}

void FileOpsTest::deleteTakesReadOnlyAndHiddenEntriesWhole()
{
    QFETCH(bool, asNormalUser);
    Sandbox box;
    QVERIFY(box.isValid());
    const QString mod = box.modDir("Foo");
    const QFile::Permissions readOnly =
        QFile::ReadOwner | QFile::ReadUser | QFile::ExeOwner | QFile::ExeUser;
    QVERIFY(Tree::file(mod + "/a.txt"));
    QVERIFY(Tree::file(mod + "/readonly.txt"));
    QVERIFY(Tree::file(mod + "/Maps/deep.w3x"));
    QVERIFY(Tree::file(mod + "/.settings", "hidden"));
    // Windows keeps a read-only mark on each and hides by a mark too; here a file without write
    // permission, and a folder without it, which is what stops a removal here.
    EntryCalls::setHidden(FileEntry::nativePath(mod + "/.settings"), true);
    for (const char *entry : {"/readonly.txt", "/Maps/deep.w3x", "/.settings", "/Maps"})
        QVERIFY(QFile::setPermissions(mod + entry, readOnly));
    QVERIFY(QFile::setPermissions(mod, readOnly));
    QVERIFY(Tree::file(box.root + "/outside.txt", "keep"));
    QVERIFY(QFile::setPermissions(box.root + "/outside.txt", readOnly));
    // Links in such folders, to a file outside (whose permissions are the link's), to a folder,
    // and to nothing. Where none can be made, the files alone.
    const bool links = linksUnavailableReason().isEmpty();
    if (links) {
        QVERIFY(Tree::folder(box.root + "/Outside"));
        for (const char *entry : {"/Maps", ""}) {
            const QString folder = mod + entry;
            QVERIFY(QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOwner));
        }
        QVERIFY(Tree::link(mod + "/Maps/out", box.root + "/outside.txt"));
        QVERIFY(Tree::link(mod + "/Maps/folder", box.root + "/Outside"));
        QVERIFY(Tree::link(mod + "/gone", box.root + "/nothing"));
        for (const char *entry : {"/Maps", ""})
            QVERIFY(QFile::setPermissions(mod + entry, readOnly));
    }

    {
        std::unique_ptr<NormalUser> user;
        if (asNormalUser) {
            user = std::make_unique<NormalUser>(box.root);
            if (!user->ok())
                RUNEMOUNT_SKIP("needs root on Linux, to act as a normal user");
        }
        auto worker = box.worker("Foo");
        WorkerLog log(worker.get());
        worker->deleteModWorker();
        QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
        QCOMPARE(log.counts(), QString(links ? "7/0/0" : "4/0/0"));
        QVERIFY(!QFileInfo::exists(mod));
        // Nothing outside the mods folder was made writable, not even through a link.
        QCOMPARE(QFile::permissions(box.root + "/outside.txt") & QFile::WriteOwner,
                 QFile::Permissions());
        QVERIFY(!links || QFileInfo(box.root + "/Outside").isDir());
    }
    if (asNormalUser)
        return; // what follows needs root itself

    // What cannot be removed at all keeps the folder, and the delete says so.
    if (!runningAsRoot())
        QSKIP("only root can make a file that even root cannot remove (chattr +i)");
    QVERIFY(Tree::file(mod + "/a.txt"));
    QVERIFY(Tree::file(mod + "/Locked/b.txt"));
    {
        Immutable locked(mod + "/Locked");
        QVERIFY(locked.ok());
        auto again = box.worker("Foo");
        WorkerLog againLog(again.get());
        again->deleteModWorker();
        QCOMPARE(againLog.counts(), QString("1/2/0"));
        // Neither folder is empty, and neither is called so.
        QCOMPARE(againLog.errors, (QStringList{"Failed to delete file: " + mod + "/Locked/b.txt",
                                               "Failed to delete folder: " + mod + "/Locked",
                                               "Failed to delete folder: " + mod}));
    }
    QCOMPARE(entryNames(mod), QStringList{"Locked"});
}

void FileOpsTest::copyAddLeavesTheSourceAndBacksUpTheTarget()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const QString source = box.root + "/Downloads/MyMod";
    QVERIFY(Tree::file(source + "/a/b/c.txt", "c"));
    QVERIFY(Tree::file(source + "/top.txt", "new top"));
    QVERIFY(Tree::file(source + "/.hidden", "not carried"));
    QVERIFY(Tree::folder(source + "/empty"));
    QVERIFY(Tree::file(box.modDir("MyMod") + "/top.txt", "old top"));
    const auto sourceBefore = Tree::snapshot(source);

    auto worker = box.worker("MyMod");
    WorkerLog log(worker.get());
    worker->moveFolderWorker(source, box.modDir("MyMod"), TransferMode::Copy);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QCOMPARE(log.last().modName, QString("MyMod"));
    QCOMPARE(Tree::difference(sourceBefore, Tree::snapshot(source)), QString());
    QCOMPARE(readFile(box.modDir("MyMod") + "/a/b/c.txt"), QByteArray("c"));
    QCOMPARE(readFile(box.modDir("MyMod") + "/top.txt"), QByteArray("new top"));
    QCOMPARE(readFile(box.modDir("MyMod") + "/top.txt.oxdbackup"), QByteArray("old top"));
    QVERIFY(!QFileInfo::exists(box.modDir("MyMod") + "/.hidden"));
    QVERIFY(!QFileInfo::exists(box.modDir("MyMod") + "/empty"));
    QVERIFY(log.progress.contains("a/b/c.txt"));
}

void FileOpsTest::moveAddPrunesUpToTheChosenFolderOnly()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // The chosen folder's parents are the user's own; they stay even when left empty.
    const QString parent = box.root + "/home/u/Downloads";
    const QString source = parent + "/MyMod";
    QVERIFY(Tree::file(source + "/a/b/c.txt", "c"));
    // A folder chain repeating the source's own path must arrive whole.
    const QString chain = "x" + source;
    QVERIFY(Tree::file(source + "/" + chain + "/d.txt", "d"));

    auto worker = box.worker("MyMod");
    WorkerLog log(worker.get());
    worker->moveFolderWorker(source, box.modDir("MyMod"), TransferMode::Move);
    QCOMPARE(log.counts(), QString("2/0/0"));
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(readFile(box.modDir("MyMod") + "/a/b/c.txt"), QByteArray("c"));
    QCOMPARE(readFile(box.modDir("MyMod") + "/" + chain + "/d.txt"), QByteArray("d"));
    QVERIFY(!QFileInfo::exists(source));
    QVERIFY(QFileInfo(parent).isDir());
    QCOMPARE(entryNames(parent), QStringList());

    // Across file systems the move copies and removes.
    const QString otherDisk = box.root + "/usb";
    TinyDisk disk(otherDisk, 256);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    QVERIFY(Tree::file(otherDisk + "/Far/sub/e.txt", "e"));
    auto far = box.worker("Far");
    WorkerLog farLog(far.get());
    far->moveFolderWorker(otherDisk + "/Far", box.modDir("Far"), TransferMode::Move);
    QCOMPARE(farLog.counts(), QString("1/0/0"));
    QCOMPARE(readFile(box.modDir("Far") + "/sub/e.txt"), QByteArray("e"));
    QVERIFY(!QFileInfo::exists(otherDisk + "/Far"));
    QVERIFY(QFileInfo(otherDisk).isDir());
}

void FileOpsTest::addSkipsLinksAndLeavesThemInTheSource_data()
{
    QTest::addColumn<TransferMode>("mode");
    QTest::newRow("copy") << TransferMode::Copy;
    QTest::newRow("move") << TransferMode::Move;
}

void FileOpsTest::addSkipsLinksAndLeavesThemInTheSource()
{
    QFETCH(TransferMode, mode);
    RUNEMOUNT_NEEDS_LINKS();
    Sandbox box;
    QVERIFY(box.isValid());
    const QString source = box.root + "/Downloads/Linked";
    QVERIFY(Tree::file(box.root + "/secret.txt", "outside"));
    QVERIFY(Tree::file(box.root + "/outside/keep.txt", "outside"));
    QVERIFY(Tree::file(source + "/a.txt", "a"));
    QVERIFY(Tree::file(source + "/Maps/b.w3x", "b"));
    QVERIFY(Tree::folder(source + "/Only links"));
    const QStringList links{source + "/passwd", source + "/Maps/same-mod", source + "/outside",
                            source + "/Only links/dangling"};
    QVERIFY(Tree::link(links[0], box.root + "/secret.txt"));
    QVERIFY(Tree::link(links[1], source + "/a.txt"));
    QVERIFY(Tree::link(links[2], box.root + "/outside"));
    QVERIFY(Tree::link(links[3], box.root + "/nowhere"));

    auto worker = box.worker("Linked");
    WorkerLog log(worker.get());
    worker->moveFolderWorker(source, box.modDir("Linked"), mode);
    QCOMPARE(log.counts(), QString("2/4/0"));
    QStringList errors = log.errors;
    errors.sort();
    QStringList expected;
    for (const QString &link : links)
        expected << "Skipped link: " + link;
    expected.sort();
    QCOMPARE(errors.join("\n"), expected.join("\n"));
    // Neither a link nor what it points to arrives in the mod.
    QCOMPARE(
        Tree::snapshot(box.modDir("Linked")),
        (QMap<QString, QString>{{"a.txt", "file:a"}, {"Maps", "dir"}, {"Maps/b.w3x", "file:b"}}));
    // The source keeps what was not taken, links as they were.
    QMap<QString, QString> kept{{"passwd", "link:" + box.root + "/secret.txt"},
                                {"Maps", "dir"},
                                {"Maps/same-mod", "link:" + source + "/a.txt"},
                                {"outside", "link:" + box.root + "/outside"},
                                {"Only links", "dir"},
                                {"Only links/dangling", "link:" + box.root + "/nowhere"}};
    if (mode == TransferMode::Copy) {
        kept.insert("a.txt", "file:a");
        kept.insert("Maps/b.w3x", "file:b");
    }
    QCOMPARE(Tree::snapshot(source), kept);
    QCOMPARE(readFile(box.root + "/secret.txt"), QByteArray("outside"));
    QCOMPARE(entryNames(box.root + "/outside"), QStringList{"keep.txt"});
}

void FileOpsTest::failedCopyPutsTheBackupStraightBack()
{
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.root + "/src/top.txt", "new"));
    QVERIFY(Tree::file(box.root + "/src/new.txt", "new"));
    // The destination holds one file and has no room for another entry.
    const QString target = box.root + "/fulltarget";
    TinyDisk disk(target, 64, 2);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    QVERIFY(Tree::file(target + "/top.txt", "old"));

    auto worker = box.worker("X");
    WorkerLog log(worker.get());
    worker->moveFolderWorker(box.root + "/src", target, TransferMode::Copy);
    QCOMPARE(log.counts(), QString("0/2/0"));
    QVERIFY(log.errors.contains("Failed to copy file: " + box.root + "/src/top.txt"));
    QCOMPARE(entryNames(target), QStringList{"top.txt"});
    QCOMPARE(readFile(target + "/top.txt"), QByteArray("old"));

    // A disk that fills up half way through a copy: no partial file is left behind.
    const QString small = box.root + "/smalltarget";
    TinyDisk smallDisk(small, 64);
    RUNEMOUNT_NEEDS_ROOT(smallDisk.ok(), "a tmpfs mounted by the test");
    QVERIFY(Tree::file(small + "/big.bin", "old"));
    QVERIFY(Tree::file(box.root + "/bigsrc/big.bin", QByteArray(256 * 1024, 'b')));
    auto big = box.worker("Y");
    WorkerLog bigLog(big.get());
    big->moveFolderWorker(box.root + "/bigsrc", small, TransferMode::Copy);
    QCOMPARE(bigLog.counts(), QString("0/1/0"));
    QCOMPARE(entryNames(small), QStringList{"big.bin"});
    QCOMPARE(readFile(small + "/big.bin"), QByteArray("old"));
}

void FileOpsTest::abortInsideALargeCopyLeavesNothing_data()
{
    QTest::addColumn<bool>("targetTaken");
    QTest::newRow("new file") << false;
    QTest::newRow("over a file set aside") << true;
}

void FileOpsTest::abortInsideALargeCopyLeavesNothing()
{
    QFETCH(bool, targetTaken);
    Sandbox box;
    QVERIFY(box.isValid());
    // Sparse: gigabytes to copy that take no room and no time to make.
    const QString source = box.root + "/Downloads/Big";
    QVERIFY(Tree::folder(source));
    QFile big(source + "/big.bin");
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(4) << 30));
    big.close();
    const QString target = box.modDir("Big") + "/big.bin";
    if (targetTaken)
        QVERIFY(Tree::file(target, "old"));

    auto worker = box.worker("Big");
    WorkerLog log(worker.get());
    // The window asks to stop while the file is on its way: the copy itself has to notice.
    connect(worker.get(), &Worker::status, worker.get(),
            [&worker](const QString &text, bool error) {
                if (!error && text == "big.bin")
                    worker->aborted = true;
            });
    worker->moveFolderWorker(source, box.modDir("Big"), TransferMode::Copy);
    QCOMPARE(log.results.size(), 1);
    QVERIFY(log.last().aborted);
    QCOMPARE(log.counts(), QString("0/0/0"));
    QCOMPARE(log.errors, QStringList());
    // Neither a partial copy nor a backup is left; the file set aside is back in its place.
    QCOMPARE(entryNames(box.modDir("Big")), targetTaken ? QStringList{"big.bin"} : QStringList());
    QCOMPARE(QFileInfo(target).size(), targetTaken ? qint64(3) : qint64(0));
    QCOMPARE(QFileInfo(source + "/big.bin").size(), qint64(4) << 30);
}

// Windows once stopped paths at 260 characters; a mod's files may lie deeper than that.
void FileOpsTest::pathsBeyondTheOldWindowsLimitWork()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const QString deep = QString("another long folder name/").repeated(12) + "file.txt";
    const QString source = box.root + "/Downloads/Deep";
    QVERIFY(Tree::file(source + "/" + deep, "deep"));
    QVERIFY((box.modDir("Deep") + "/" + deep).size() > 300);

    auto adding = box.worker("Deep");
    WorkerLog added(adding.get());
    adding->moveFolderWorker(source, box.modDir("Deep"), TransferMode::Copy);
    QCOMPARE(added.counts(), QString("1/0/0"));
    QCOMPARE(readFile(box.modDir("Deep") + "/" + deep), QByteArray("deep"));

    const std::atomic<bool> going{false};
    QCOMPARE(FolderMeasure::of(box.modDir("Deep"), going).files, 1);

    auto deleting = box.worker("Deep");
    WorkerLog deleted(deleting.get());
    deleting->deleteModWorker();
    QCOMPARE(deleted.counts(), QString("1/0/0"));
    QVERIFY(!QFileInfo::exists(box.modDir("Deep")));
}

QTEST_GUILESS_MAIN(FileOpsTest)
#include "tst_fileops.moc"
