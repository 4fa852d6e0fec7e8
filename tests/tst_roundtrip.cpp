#include "backupname.h"
#include "fileentry.h"
#include "hardlink.h"
#include "mountrecords.h"
#include "randomtree.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace TestSupport;

namespace
{

const int seedCount = 300;

// The lines of a record; none for an empty or absent one.
QStringList recordLines(const QByteArray &content)
{
    if (content.isEmpty() || content == "<absent>")
        return QStringList();
    QStringList lines = QString::fromUtf8(content).split('\n');
    if (content.endsWith('\n'))
        lines.removeLast();
    return lines;
}

// A few mod names, one with a space and one beyond ASCII, since every link target holds it.
QString modNameFor(quint32 seed)
{
    static const QStringList names = {"Mod", "Big Mod", QString::fromUtf8("J\u00fcrgens Mod")};
    return names.at(int(seed % quint32(names.size())));
}

// What the mount has to do with one pair of trees, worked out from the trees before the mount
// and independent of the order in which the mount lists entries.
struct Expected {
    MountWay way = MountWay::SymbolicLinks;
    QMap<QString, QString> links; // game-relative path -> mod path the link points to (is)
    QSet<QString> folders;        // game-relative paths of folders a hard-link mount makes
    QStringList setAside;         // game-relative paths of entries that go to a backup
    QSet<QString> cases;          // kinds of situation the trees hold, for the coverage check
};

bool hasEntriesBelow(const QMap<QString, QString> &snapshot, const QString &folder)
{
    const QString prefix = folder + '/';
    const auto next = snapshot.lowerBound(prefix);
    return next != snapshot.end() && next.key().startsWith(prefix);
}

void expectFolder(const QString &modFolder, const QString &relative, const QString &gameDir,
                  const QMap<QString, QString> &gameBefore, Expected &expected)
{
    for (const QString &name : entryNames(modFolder)) {
        const QString path = relative.isEmpty() ? name : relative + '/' + name;
        const QString modPath = modFolder + '/' + name;
        const bool modIsFolder = QFileInfo(modPath).isDir();
        if (name.startsWith('.')) {
            expected.cases << "hidden mod entry left out";
            continue;
        }
        const QString game = gameBefore.value(path);
        if (game == "dir") {
            if (!modIsFolder) {
                expected.cases << "mod file over game folder";
                continue;
            }
            expected.cases << "descend into game folder";
            if (!hasEntriesBelow(gameBefore, path) &&
                !entryNames(modPath).filter(QRegularExpression("^[^.]")).isEmpty())
                expected.cases << "mod entries in an empty game folder";
            expectFolder(modPath, path, gameDir, gameBefore, expected);
            continue;
        }
        // A hard-link mount makes a folder and places the mod's entries in it one by one.
        if (expected.way == MountWay::HardLinks && modIsFolder) {
            expected.folders.insert(path);
            expectFolder(modPath, path, gameDir, gameBefore, expected);
        } else {
            expected.links.insert(path, modPath);
        }
        if (game.isEmpty()) {
            if (!modIsFolder)
                expected.cases << "new file";
            else if (entryNames(modPath).isEmpty())
                expected.cases << "empty mod folder linked";
            else
                expected.cases << "mod folder linked whole";
            continue;
        }
        expected.setAside << path;
        if (game.startsWith("file:")) {
            expected.cases << (modIsFolder ? "mod folder over game file" : "game file replaced");
        } else {
            const QFileInfo target(gameDir + '/' + path);
            if (!target.exists())
                expected.cases << "dangling game link replaced";
            else if (target.isDir())
                expected.cases << "game link to a folder replaced";
            else
                expected.cases << "game link to a file replaced";
        }
        if (gameBefore.contains(path + BackupName::suffix)) {
            expected.cases << "first backup name taken";
            if (gameBefore.contains(path + BackupName::suffix + '2'))
                expected.cases << "second backup name taken";
        }
    }
}

void noteGameCases(const QMap<QString, QString> &gameBefore, Expected &expected)
{
    for (auto it = gameBefore.begin(); it != gameBefore.end(); ++it) {
        const QStringList parts = it.key().split('/');
        if (parts.last().startsWith('.'))
            expected.cases << "hidden game entry";
        if (it.value() == "dir" && !hasEntriesBelow(gameBefore, it.key()))
            expected.cases << "empty game folder";
        if (parts.size() >= 5)
            expected.cases << "entry four folders deep";
        if (it.key().contains(QChar(0xfc)))
            expected.cases << "name beyond ASCII";
    }
}

// Checks the game right after the mount against what the mount had to do: every expected link
// in place, every entry in the way kept whole under a backup name that leads back to it, all
// else untouched, and both records listing exactly those links and backups.
// True when `key` leads back to `path` through one or more backup names. A chain of two arises
// when the mod brings an entry named like a backup made earlier in the same mount: that backup
// is set aside again, and goes back first.
bool leadsBackTo(QString key, const QString &path, QStringList *chain)
{
    chain->clear();
    while (key.contains(BackupName::suffix)) {
        chain->append(key);
        key = BackupName::restorePath(key);
        if (key == path)
            return true;
    }
    return false;
}

QStringList checkMounted(const Sandbox &box, const Expected &expected,
                         const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList problems;
    const bool hard = expected.way == MountWay::HardLinks;
    for (auto it = expected.links.begin(); it != expected.links.end(); ++it) {
        const QString found = after.value(it.key(), "nothing");
        if (!hard && found != "link:" + it.value())
            problems << "no link " + it.key() + " -> " + it.value() + " (found " + found + ")";
        if (hard &&
            !HardLink::sameFile(HardLink::identityOf(FileEntry::nativePath(box.game(it.key()))),
                                HardLink::identityOf(FileEntry::nativePath(it.value()))))
            problems << "no hard link " + it.key() + " of " + it.value() + " (found " + found + ")";
    }
    for (const QString &folder : expected.folders)
        if (after.value(folder) != "dir")
            problems << "no folder " + folder + " (found " + after.value(folder, "nothing") + ")";
    QSet<QString> backups;
    QSet<QString> recordedBackups;
    for (const QString &path : expected.setAside) {
        QString kept;
        QStringList chain;
        for (auto it = after.begin(); it != after.end() && kept.isEmpty(); ++it) {
            if (!before.contains(it.key()) && !expected.links.contains(it.key()) &&
                !expected.folders.contains(it.key()) && !backups.contains(it.key()) &&
                it.value() == before.value(path) && leadsBackTo(it.key(), path, &chain))
                kept = it.key();
        }
        if (kept.isEmpty()) {
            problems << "the game's " + path + " (" + before.value(path) +
                            ") is not kept under a backup name that leads back to it";
        } else {
            backups.insert(kept);
            for (const QString &name : chain)
                recordedBackups.insert(name);
        }
    }
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (expected.links.contains(it.key()) || expected.folders.contains(it.key()) ||
            backups.contains(it.key()))
            continue;
        if (!before.contains(it.key()))
            problems << "extra entry " + it.key() + " (" + it.value() + ")";
        else if (before.value(it.key()) != it.value())
            problems << "changed " + it.key() + ": " + before.value(it.key()) + " -> " + it.value();
    }
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            problems << "gone " + it.key() + " (" + it.value() + ")";

    // What the record says of each entry, as "link", "hard link" or "folder" and the path.
    QStringList outLines;
    const MountRecords records(box.appDir + "/out_files.txt", box.appDir + "/backup_files.txt");
    for (const MountRecords::Placed &entry : records.readPlaced().entries) {
        const QString path = QString::fromUtf8(entry.path.c_str());
        switch (entry.kind) {
        case MountRecords::PlacedKind::SymbolicLink:
            outLines << "link " + path;
            if (!QFileInfo(path).isSymLink())
                problems << "out_files.txt lists " + path + ", which is not a symbolic link";
            break;
        case MountRecords::PlacedKind::HardLink:
            outLines << "hard link " + path;
            if (!entry.identity.known)
                problems << "out_files.txt lacks the identity of " + path;
            break;
        case MountRecords::PlacedKind::Folder:
            outLines << "folder " + path;
            break;
        }
    }
    const QStringList backupLines = recordLines(box.backupFiles());
    for (const QString &line : backupLines)
        if (!QFileInfo(line).exists() && !QFileInfo(line).isSymLink())
            problems << "backup_files.txt lists " + line + ", which does not exist";

    QStringList wantedOut;
    for (auto it = expected.links.begin(); it != expected.links.end(); ++it)
        wantedOut << (hard ? "hard link " : "link ") + box.game(it.key());
    for (const QString &folder : expected.folders)
        wantedOut << "folder " + box.game(folder);
    QStringList wantedBackups;
    for (const QString &backup : recordedBackups)
        wantedBackups << box.game(backup);
    QStringList sortedOut = outLines, sortedBackups = backupLines;
    sortedOut.sort();
    sortedBackups.sort();
    wantedOut.sort();
    wantedBackups.sort();
    if (sortedOut != wantedOut)
        problems << "out_files.txt holds\n  " + sortedOut.join("\n  ") + "\ninstead of\n  " +
                        wantedOut.join("\n  ");
    if (sortedBackups != wantedBackups)
        problems << "backup_files.txt holds\n  " + sortedBackups.join("\n  ") + "\ninstead of\n  " +
                        wantedBackups.join("\n  ");
    return problems;
}

bool recordIsEmpty(const QByteArray &content)
{
    return content.isEmpty() || content == "<absent>";
}

QString listing(const QMap<QString, QString> &snapshot)
{
    QStringList lines;
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
        lines << "  " + it.key() + " " + it.value();
    return lines.join('\n');
}

} // namespace

// Mounts and unmounts random mods over random game folders: the unmount has to give back the
// game folder exactly as it was, whatever the mount met on its way.
class RoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    // Every case here mounts, or sets up links; a mount with hard links builds its game without
    // links where the system makes none.
    void init()
    {
        if (!QByteArray(QTest::currentDataTag()).startsWith("hard links"))
            RUNEMOUNT_NEEDS_LINKS();
    }

    void treesHoldEveryCase();
    void unmountGivesBackTheGame_data();
    void unmountGivesBackTheGame();
};

// The trees are only worth as much as the situations they hold: every kind has to turn up in
// a good number of seeds, so that a change to the generator cannot quietly drop one.
void RoundTripTest::treesHoldEveryCase()
{
    QMap<QString, int> seen;
    for (quint32 seed = 1; seed <= quint32(seedCount); ++seed) {
        Sandbox box;
        QVERIFY(box.isValid());
        const QString mod = box.modDir(modNameFor(seed));
        QVERIFY(QDir().mkpath(mod));
        QString error;
        QVERIFY2(RandomTree::build(seed, box.gameDir, mod, &error),
                 qPrintable(QString("seed %1: could not make %2").arg(seed).arg(error)));
        const QMap<QString, QString> before = Tree::snapshot(box.gameDir);
        Expected expected;
        expectFolder(mod, QString(), box.gameDir, before, expected);
        noteGameCases(before, expected);
        for (const QString &kind : expected.cases)
            ++seen[kind];

        // The same seed makes the same trees.
        if (seed % 50 == 0) {
            Sandbox again;
            const QString modAgain = again.modDir(modNameFor(seed));
            QVERIFY(QDir().mkpath(modAgain));
            QVERIFY(RandomTree::build(seed, again.gameDir, modAgain));
            QMap<QString, QString> first = Tree::snapshot(mod), second = Tree::snapshot(modAgain);
            QVERIFY2(Tree::difference(first, second).isEmpty(),
                     qPrintable(QString("seed %1: mod differs on a second build").arg(seed)));
            // Link targets hold the sandbox path; compare them relative to it.
            first = before;
            second = Tree::snapshot(again.gameDir);
            for (auto &value : first)
                value.replace(box.root, "<root>");
            for (auto &value : second)
                value.replace(again.root, "<root>");
            QVERIFY2(Tree::difference(first, second).isEmpty(),
                     qPrintable(QString("seed %1: game differs on a second build").arg(seed)));
        }
    }
    const QStringList kinds = {"descend into game folder",
                               "mod entries in an empty game folder",
                               "mod file over game folder",
                               "mod folder over game file",
                               "mod folder linked whole",
                               "empty mod folder linked",
                               "new file",
                               "game file replaced",
                               "dangling game link replaced",
                               "game link to a folder replaced",
                               "game link to a file replaced",
                               "first backup name taken",
                               "second backup name taken",
                               "hidden mod entry left out",
                               "hidden game entry",
                               "empty game folder",
                               "entry four folders deep",
                               "name beyond ASCII"};
    QStringList counts;
    for (const QString &kind : kinds)
        counts << kind + " " + QString::number(seen.value(kind));
    qInfo().noquote() << "seeds holding each case:" << counts.join(", ");
    QStringList rare;
    for (const QString &kind : kinds)
        if (seen.value(kind) < 10)
            rare << kind + ": " + QString::number(seen.value(kind)) + " seeds";
    QVERIFY2(rare.isEmpty(), qPrintable("cases the trees seldom hold:\n" + rare.join('\n')));
}

void RoundTripTest::unmountGivesBackTheGame_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<MountWay>("way");
    for (quint32 seed = 1; seed <= quint32(seedCount); ++seed)
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed << MountWay::SymbolicLinks;
    for (quint32 seed = 1; seed <= quint32(seedCount); ++seed)
        QTest::newRow(qPrintable(QString("hard links, seed %1").arg(seed)))
            << seed << MountWay::HardLinks;
}

void RoundTripTest::unmountGivesBackTheGame()
{
    QFETCH(quint32, seed);
    QFETCH(MountWay, way);
    Sandbox box;
    QVERIFY(box.isValid());
    box.setWay(way);
    const QString modName = modNameFor(seed);
    const QString mod = box.modDir(modName);
    QVERIFY(QDir().mkpath(mod));
    QString error;
    QVERIFY2(RandomTree::build(seed, box.gameDir, mod, &error,
                               TestSupport::linksUnavailableReason().isEmpty()),
             qPrintable("could not make " + error));
    const QMap<QString, QString> before = Tree::snapshot(box.gameDir);
    const QMap<QString, QString> modBefore = Tree::snapshot(mod);
    Expected expected;
    expected.way = way;
    expectFolder(mod, QString(), box.gameDir, before, expected);
    // A hard-link mount counts the folders it makes as placed entries.
    const int placed = expected.links.size() + expected.folders.size();
    const QString trees = QString("seed %1, mod \"%2\"\ngame before:\n%3\nmod:\n%4")
                              .arg(seed)
                              .arg(modName, listing(before), listing(modBefore));

    QStringList problems;
    {
        auto worker = box.worker(modName);
        WorkerLog log(worker.get());
        worker->mountModWorker();
        const WorkerLog::Result mounted = log.last();
        if (log.results.size() != 1 || mounted.failed != 0 || mounted.missing != 0 ||
            mounted.aborted || mounted.done != placed)
            problems << QString("the mount reported %1 (done/failed/missing)%2 where %3 links "
                                "were due; errors:\n%4")
                            .arg(log.counts())
                            .arg(mounted.aborted ? ", aborted" : "")
                            .arg(placed)
                            .arg(log.errors.join('\n'));
        const QStringList wrong = checkMounted(box, expected, before, Tree::snapshot(box.gameDir));
        if (!wrong.isEmpty())
            problems << "after the mount:\n" + wrong.join('\n');
    }

    // A later run of the program, as after a restart.
    auto worker = box.worker(modName);
    WorkerLog log(worker.get());
    worker->unmountModWorker(false);
    const WorkerLog::Result unmounted = log.last();
    if (log.results.size() != 1 || unmounted.failed != 0 || unmounted.missing != 0 ||
        unmounted.aborted || unmounted.forced)
        problems << QString("the unmount reported %1 (done/failed/missing)%2; errors:\n%3")
                        .arg(log.counts())
                        .arg(unmounted.aborted ? ", aborted" : "")
                        .arg(log.errors.join('\n'));
    const QString change = Tree::difference(before, Tree::snapshot(box.gameDir));
    if (!change.isEmpty())
        problems << "after the unmount the game differs from before:\n" + change;
    if (!recordIsEmpty(box.outFiles()))
        problems << "out_files.txt still holds:\n" + QString::fromUtf8(box.outFiles());
    if (!recordIsEmpty(box.backupFiles()))
        problems << "backup_files.txt still holds:\n" + QString::fromUtf8(box.backupFiles());
    const QString modChange = Tree::difference(modBefore, Tree::snapshot(mod));
    if (!modChange.isEmpty())
        problems << "the mod folder changed:\n" + modChange;

    if (!problems.isEmpty()) {
        // In full here: QtTest cuts a failure's own message short.
        qWarning().noquote() << problems.join("\n\n") + "\n\n" + trees;
        QFAIL(qPrintable(QString("seed %1 goes wrong (details above): ").arg(seed) +
                         problems.first().left(300)));
    }
}

QTEST_GUILESS_MAIN(RoundTripTest)
#include "tst_roundtrip.moc"
