#include "fileentry.h"
#include "hardlink.h"
#include "mountrecords.h"
#include "randomtree.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

using namespace TestSupport;

#ifdef RUNEMOUNT_KILLSHIM
namespace
{

const QString modName = QString::fromUtf8("Kill M\u00f6d");

// Above this many kill points a seeded sample is taken, to keep the test at a minute or less.
const int allPointsUpTo = 400;
const int sampledPoints = 200;

struct HelperRun {
    bool started = false;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1;
    QString errors;
    QString output; // the helper's report, when asked for
};

enum class Links { Allowed, Refused };

// Mounts (or unmounts) the sandbox's mod in the helper under the shim; `killAfter` 0 runs it to
// the end. With links of the mount's way refused, the helper reports what it said and its result.
HelperRun runHelper(const Sandbox &box, int killAfter, const QString &operation = "mount",
                    Links links = Links::Allowed)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString preloaded = environment.value("LD_PRELOAD");
    environment.insert("LD_PRELOAD", preloaded.isEmpty() ? QString(RUNEMOUNT_KILLSHIM)
                                                         : preloaded + ':' + RUNEMOUNT_KILLSHIM);
    if (killAfter > 0)
        environment.insert("RUNEMOUNT_KILL_AFTER", QString::number(killAfter));
    else
        environment.remove("RUNEMOUNT_KILL_AFTER");
    QStringList arguments{box.appDir, modName, operation};
    if (links == Links::Refused) {
        environment.insert("RUNEMOUNT_REFUSE_LINKS",
                           box.config->get(ConfigKey::hardLinks) == "1" ? "hard" : "1");
        arguments << "report";
    } else {
        environment.remove("RUNEMOUNT_REFUSE_LINKS");
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(RUNEMOUNT_KILLHELPER, arguments);
    HelperRun run;
    run.started = process.waitForStarted(-1);
    if (!run.started) {
        run.errors = process.errorString();
        return run;
    }
    process.waitForFinished(-1);
    run.exitStatus = process.exitStatus();
    run.exitCode = process.exitCode();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

// Link targets hold the sandbox's own path; this makes snapshots of two sandboxes comparable.
QMap<QString, QString> portable(const Sandbox &box, QMap<QString, QString> snapshot)
{
    for (QString &value : snapshot)
        value.replace(box.root, "<root>");
    return snapshot;
}

bool recordIsEmpty(const QByteArray &content)
{
    return content.isEmpty() || content == "<absent>";
}

// Runs the operation in the helper under the shim without a kill, which tells how many counted
// calls it makes. Empty when it ran cleanly; otherwise what went wrong.
QString wholeRun(const Sandbox &box, const QString &operation, int *count)
{
    const HelperRun run = runHelper(box, 0, operation);
    if (!run.started)
        return "the helper did not start: " + run.errors;
    if (run.errors.contains("cannot be preloaded") || run.errors.contains("ld.so"))
        return "the kill shim could not be preloaded: " + run.errors.trimmed();
    if (run.exitStatus != QProcess::NormalExit || run.exitCode != 0)
        return QString("the %1 without a kill did not end cleanly (exit code %2):\n%3")
            .arg(operation)
            .arg(run.exitCode)
            .arg(run.errors);
    const QRegularExpressionMatch report =
        QRegularExpression("killshim-calls: (\\d+)").match(run.errors);
    if (!report.hasMatch())
        return "the shim did not report its count; standard error:\n" + run.errors;
    *count = report.captured(1).toInt();
    return *count > 0 ? QString() : "the shim counted no call: it sees nothing the operation does";
}

// Every point up to `allPointsUpTo`, else a sample that always holds the first and the last.
QList<int> killPoints(int callCount, quint32 seed)
{
    QList<int> points;
    if (callCount <= allPointsUpTo) {
        for (int n = 1; n <= callCount; ++n)
            points << n;
        return points;
    }
    std::mt19937 pick(seed);
    QSet<int> chosen{1, callCount};
    while (chosen.size() < sampledPoints)
        chosen.insert(1 + int(pick() % quint32(callCount)));
    points = chosen.values();
    std::sort(points.begin(), points.end());
    return points;
}

QString reportFailures(const QStringList &failures, int points)
{
    // In full here: QtTest cuts a failure's own message short.
    qWarning().noquote() << failures.mid(0, 5).join("\n\n");
    return QString("%1 of %2 kill points went wrong (the first ones above), starting with: ")
               .arg(failures.size())
               .arg(points) +
           failures.first().left(300);
}

// One fresh sandbox holding the trees of `seed`, and the state of both before the mount.
struct Case {
    Sandbox box;
    QMap<QString, QString> gameBefore;
    QMap<QString, QString> modBefore;
    QString error;

    // With `wideFiles` > 0, instead of the random trees: that many mod files in a folder the game
    // has, one link each, every tenth of them in the place of a game file.
    Case(quint32 seed, MountWay way, int wideFiles = 0)
    {
        const QString mod = box.modDir(modName);
        if (!box.isValid() || !QDir().mkpath(mod)) {
            error = "no sandbox";
            return;
        }
        box.setWay(way);
        if (wideFiles > 0) {
            for (int i = 0; i < wideFiles; ++i) {
                const QString name = QString("Maps/%1.w3x").arg(i);
                if (!Tree::file(mod + "/" + name, "mod") ||
                    (i % 10 == 0 && !Tree::file(box.game(name), "game"))) {
                    error = name;
                    return;
                }
            }
        } else if (!RandomTree::build(seed, box.gameDir, mod, &error)) {
            return;
        }
        gameBefore = Tree::snapshot(box.gameDir);
        modBefore = Tree::snapshot(mod);
    }
    QString mod() const { return box.modDir(modName); }

    QString records(const QString &when) const
    {
        return "\nout_files.txt " + when + ":\n" + QString::fromUtf8(box.outFiles()) +
               "\nbackup_files.txt " + when + ":\n" + QString::fromUtf8(box.backupFiles());
    }
    // What a finished unmount must not leave: records, its journal, a changed mod.
    QStringList leftBehind(const QString &at) const
    {
        QStringList found;
        if (!recordIsEmpty(box.outFiles()) || !recordIsEmpty(box.backupFiles()))
            found << at + "records left after the unmount:" + records("after it");
        if (QFileInfo::exists(box.appDir + "/unmount_progress.txt"))
            found << at + "the unmount's journal is left behind";
        if (QFileInfo::exists(box.appDir + "/link_probe.txt"))
            found << at + "the note of the mount's link probe is left behind";
        const QString modChange = Tree::difference(modBefore, Tree::snapshot(mod()));
        if (!modChange.isEmpty())
            found << at + "the mod folder changed:\n" + modChange;
        return found;
    }
};

// Entries that a left-over mount would show: links and backup names the game did not have.
QStringList leftovers(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList found;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.contains(it.key()))
            continue;
        if (it.value().startsWith("link:"))
            found << "stray link " + it.key();
        else if (it.key().contains(".oxdbackup"))
            found << "left under a backup name: " + it.key();
    }
    return found;
}

// Game files that are mod files under a second name: hard links a mount left.
QStringList sameFiles(const QString &gameDir, const QString &modDir)
{
    QSet<QString> modFiles;
    QDirIterator mod(modDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (mod.hasNext()) {
        const HardLink::Identity file = HardLink::identityOf(FileEntry::nativePath(mod.next()));
        modFiles.insert(QString("%1:%2").arg(file.volume).arg(file.file));
    }
    QStringList found;
    QDirIterator game(gameDir, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                      QDirIterator::Subdirectories);
    while (game.hasNext()) {
        const QString path = game.next();
        const HardLink::Identity file = HardLink::identityOf(FileEntry::nativePath(path));
        if (modFiles.contains(QString("%1:%2").arg(file.volume).arg(file.file)))
            found << path.mid(gameDir.size() + 1);
    }
    return found;
}

// The world changes under a mount, as a game update and a user do: the game replaces one of
// the links to a mod file with a newer file of its own, another link goes, the mod loses the
// entry of a third and gains one. Returns the game-relative path of the replaced link, or an
// error.
QString changeTheWorld(Case &mounted, QString *error)
{
    QStringList fileLinks;
    const MountRecords records(mounted.box.appDir + "/out_files.txt",
                               mounted.box.appDir + "/backup_files.txt");
    for (const MountRecords::Placed &entry : records.readPlaced().entries) {
        const QString path = QString::fromUtf8(entry.path.c_str());
        if (QFileInfo(path).isFile() &&
            (QFileInfo(path).isSymLink() || entry.kind == MountRecords::PlacedKind::HardLink))
            fileLinks << path;
    }
    fileLinks.sort();
    if (fileLinks.size() < 3) {
        *error = "the tree has fewer than three links to mod files";
        return QString();
    }
    if (!QFile::remove(fileLinks[0]) || !Tree::file(fileLinks[0], "newer") ||
        !QFile::remove(fileLinks[1]) ||
        !QFile::remove(mounted.mod() + fileLinks[2].mid(mounted.box.gameDir.size())) ||
        !Tree::file(mounted.mod() + "/Added by the user.txt", "added")) {
        *error = "could not change the world under the mount";
        return QString();
    }
    mounted.modBefore = Tree::snapshot(mounted.mod());
    return fileLinks[0].mid(mounted.box.gameDir.size() + 1);
}

// After a repair killed anywhere and a plain unmount: no link of the mod stays, no game entry is
// lost or hidden under a name no record holds, and the game's newer entry stands where it put it,
// the earlier one under a backup name listed as kept.
QStringList judgeAfterRepair(const Case &killed, const QString &replaced, const QString &at)
{
    QStringList found;
    const auto after = Tree::snapshot(killed.box.gameDir);
    for (auto it = after.begin(); it != after.end(); ++it)
        if (it.value().startsWith("link:" + killed.box.modsDir + "/"))
            found << at + "a link of the mod stays: " + it.key();
    const QStringList modFiles = sameFiles(killed.box.gameDir, killed.mod());
    if (!modFiles.isEmpty())
        found << at + "a hard link of the mod stays: " + modFiles.join(", ");
    const QStringList hidden = killed.box.unrecordedBackups(killed.gameBefore);
    if (!hidden.isEmpty())
        found << at + "hidden under a name no record holds: " + hidden.join(", ");
    if (after.value(replaced) != "file:newer")
        found << at + "the game's newer entry is not in its place: " + after.value(replaced);
    for (auto it = killed.gameBefore.begin(); it != killed.gameBefore.end(); ++it)
        if (it.key() != replaced && after.value(it.key()) != it.value())
            found << at + "lost or changed: " + it.key() + " (" + it.value() + " -> " +
                         after.value(it.key(), "gone") + ")";
    if (killed.gameBefore.contains(replaced)) {
        const QByteArray backups = killed.box.keptBackups();
        bool kept = false;
        for (auto it = after.begin(); it != after.end(); ++it)
            kept = kept || (it.key().startsWith(replaced + ".oxdbackup") &&
                            it.value() == killed.gameBefore.value(replaced) &&
                            backups.contains(killed.box.game(it.key()).toUtf8()));
        if (!kept)
            found << at + "the earlier version of " + replaced + " is not on record";
    }
    const QString modChange = Tree::difference(killed.modBefore, Tree::snapshot(killed.mod()));
    if (!modChange.isEmpty())
        found << at + "the mod folder changed:\n" + modChange;
    return found;
}

} // namespace
#endif

// Kills the mount right after each single change it makes to the disk, in a helper process,
// and checks that an unmount in a later run (forced if the normal one finds entries missing)
// gives back the game folder as it was.
class KillSafetyTest : public QObject
{
    Q_OBJECT

private slots:
    void unmountUndoesAMountKilledAnywhere_data();
    void unmountUndoesAMountKilledAnywhere();
    void plainUnmountFinishesAnUnmountKilledAnywhere_data();
    void plainUnmountFinishesAnUnmountKilledAnywhere();
    void mountThatCannotLinkChangesNothing_data();
    void mountThatCannotLinkChangesNothing();
};

namespace
{

// Hard links take the trees with most kill points, and those with mod entries named like backups.
const QList<quint32> hardLinkSeeds = {143u, 202u, 38u, 4u, 127u};

QString rowName(MountWay way, const QString &name)
{
    return way == MountWay::HardLinks ? "hard links, " + name : name;
}

} // namespace

void KillSafetyTest::unmountUndoesAMountKilledAnywhere_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<MountWay>("way");
    // Trees with many kill points, among them game links and files in the way, taken backup
    // names, and (seeds 4 and 127) mod entries named like backups the mount makes itself.
    for (const quint32 seed : {143u, 202u, 38u, 165u, 64u, 12u, 4u, 127u})
        QTest::newRow(qPrintable(QString("tree of seed %1").arg(seed)))
            << seed << MountWay::SymbolicLinks;
    for (const quint32 seed : hardLinkSeeds)
        QTest::newRow(
            qPrintable(rowName(MountWay::HardLinks, QString("tree of seed %1").arg(seed))))
            << seed << MountWay::HardLinks;
}

void KillSafetyTest::unmountUndoesAMountKilledAnywhere()
{
#if !defined(Q_OS_LINUX) || !defined(RUNEMOUNT_KILLSHIM)
    RUNEMOUNT_SKIP("the kill shim needs LD_PRELOAD, which only the Linux build has");
#else
    QFETCH(quint32, seed);
    QFETCH(MountWay, way);

    // A whole run first: it tells how many counted calls the mount makes, and the unmount after
    // it has to be clean, or no kill point could be judged.
    int callCount = 0;
    QMap<QString, QString> mountedGame;
    {
        Case whole(seed, way);
        QVERIFY2(whole.error.isEmpty(), qPrintable("could not build the trees: " + whole.error));
        const QString runProblem = wholeRun(whole.box, "mount", &callCount);
        QVERIFY2(runProblem.isEmpty(), qPrintable(runProblem));
        mountedGame = portable(whole.box, Tree::snapshot(whole.box.gameDir));
        QVERIFY2(!Tree::difference(portable(whole.box, whole.gameBefore), mountedGame).isEmpty(),
                 "the mount changed nothing in the game");

        auto worker = whole.box.worker(modName);
        WorkerLog log(worker.get());
        worker->unmountModWorker(false);
        const QString change =
            Tree::difference(whole.gameBefore, Tree::snapshot(whole.box.gameDir));
        QVERIFY2(log.results.size() == 1 && log.last().failed == 0 && log.last().missing == 0 &&
                     change.isEmpty(),
                 qPrintable(QString("the unmount after a whole mount is not clean (%1):\n%2\n%3")
                                .arg(log.counts(), log.errors.join('\n'), change)));
    }

    const QList<int> points = killPoints(callCount, seed);

    QStringList failures;
    int forcedPasses = 0;
    int failedInFirstPass = 0;
    for (const int n : points) {
        Case killed(seed, way);
        QVERIFY2(killed.error.isEmpty(), qPrintable("could not build the trees: " + killed.error));
        const HelperRun run = runHelper(killed.box, n);
        QVERIFY2(run.started, qPrintable("the helper did not start: " + run.errors));
        const QString at =
            QString("seed %1, killed after call %2 of %3: ").arg(seed).arg(n).arg(callCount);
        if (run.exitStatus != QProcess::CrashExit) {
            failures << at + QString("the helper was not killed but exited with code %1 (the "
                                     "calls are not the same from run to run?)\n%2")
                                 .arg(run.exitCode)
                                 .arg(run.errors);
            continue;
        }
        const QMap<QString, QString> atKill = Tree::snapshot(killed.box.gameDir);
        if (n == 1 && !Tree::difference(killed.gameBefore, atKill).isEmpty())
            failures << at + "the first change was made to the game before any record:\n" +
                            Tree::difference(killed.gameBefore, atKill);
        if (n == callCount &&
            !Tree::difference(mountedGame, portable(killed.box, atKill)).isEmpty())
            failures << at + "the last counted call does not complete the mount:\n" +
                            Tree::difference(mountedGame, portable(killed.box, atKill));
        const QString records = killed.records("at the kill");

        // A later run of the program: its own configuration and worker.
        ConfigStore config(utf8(killed.box.appDir));
        Worker worker(WorkerPaths::of(config), modName);
        WorkerLog log(&worker);
        worker.unmountModWorker(false);
        if (log.results.size() != 1) {
            failures << at + "the normal unmount reported no single result";
            continue;
        }
        const WorkerLog::Result first = log.last();
        QString passes = "normal unmount: " + log.counts() + " (done/failed/missing)";
        // After a kill, records can only run ahead of the disk: changes on record that were
        // never made are missing, but nothing may be in a state the unmount cannot handle.
        if (first.failed > 0) {
            ++failedInFirstPass;
            failures << at + "the normal unmount reported failed entries (" + log.counts() +
                            "):\n" + log.errors.join('\n') + records;
        }
        if (first.failed + first.missing > 0) {
            ++forcedPasses;
            worker.unmountModWorker(true);
            passes += ", forced unmount: " + log.counts();
            if (log.results.size() != 2 || !log.last().forced)
                failures << at + "the forced unmount did not report itself as forced";
        }
        if (first.aborted || log.last().aborted)
            failures << at + "an unmount reported itself aborted";

        const QMap<QString, QString> after = Tree::snapshot(killed.box.gameDir);
        const QString change = Tree::difference(killed.gameBefore, after);
        if (!change.isEmpty()) {
            QStringList lines = leftovers(killed.gameBefore, after);
            lines << "difference to the game before:" << change << passes
                  << "errors: " + log.errors.join('\n');
            failures << at + "the game is not as it was\n" + lines.join('\n') + records;
        }
        failures << killed.leftBehind(at);
    }

    qInfo("seed %u: %d counted calls, %d kill points run, %d needed a forced unmount, "
          "%d normal unmounts reported failed entries, %d failures",
          seed, callCount, int(points.size()), forcedPasses, failedInFirstPass,
          int(failures.size()));
    if (!failures.isEmpty())
        QFAIL(qPrintable(reportFailures(failures, int(points.size()))));
#endif
}

void KillSafetyTest::plainUnmountFinishesAnUnmountKilledAnywhere_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("wideFiles");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<MountWay>("way");
    for (const MountWay way : {MountWay::SymbolicLinks, MountWay::HardLinks}) {
        const bool hard = way == MountWay::HardLinks;
        for (const quint32 seed : {143u, 202u, 38u, 165u, 64u, 12u, 4u, 127u})
            if (!hard || hardLinkSeeds.contains(seed))
                QTest::newRow(qPrintable(rowName(way, QString("tree of seed %1").arg(seed))))
                    << seed << 0 << "unmount" << way;
        // More lines than the unmount notes in its journal at once.
        QTest::newRow(qPrintable(rowName(way, "100 links in a game folder")))
            << 1u << 100 << "unmount" << way;
        // A repair after the world changed under the mount.
        for (const quint32 seed : {143u, 202u, 38u, 127u})
            if (!hard || seed != 202u)
                QTest::newRow(
                    qPrintable(rowName(way, QString("repair, tree of seed %1").arg(seed))))
                    << seed << 0 << "repair" << way;
    }
}

// Kills the unmount of a whole mount (or the repair of a mount the world changed) right after
// each single change it makes, and checks that a plain unmount in a later run finishes it: for
// an unmount no problems, the game as before the mount, and nothing left on record.
void KillSafetyTest::plainUnmountFinishesAnUnmountKilledAnywhere()
{
#if !defined(Q_OS_LINUX) || !defined(RUNEMOUNT_KILLSHIM)
    RUNEMOUNT_SKIP("the kill shim needs LD_PRELOAD, which only the Linux build has");
#else
    QFETCH(quint32, seed);
    QFETCH(int, wideFiles);
    QFETCH(QString, operation);
    QFETCH(MountWay, way);
    const bool repair = operation == "repair";
    QString replaced;
    auto mounted = [seed, repair, &replaced](Case &mountedCase) {
        if (!mountedCase.error.isEmpty())
            return "could not build the trees: " + mountedCase.error;
        auto worker = mountedCase.box.worker(modName);
        WorkerLog log(worker.get());
        worker->mountModWorker();
        if (log.results.size() != 1 || log.last().failed != 0 || log.last().missing != 0 ||
            log.last().done <= 0)
            return QString("seed %1: the mount is not clean (%2)").arg(seed).arg(log.counts());
        QString error;
        if (repair)
            replaced = changeTheWorld(mountedCase, &error);
        return error;
    };

    int callCount = 0;
    {
        Case whole(seed, way, wideFiles);
        const QString problem = mounted(whole);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QString runProblem = wholeRun(whole.box, operation, &callCount);
        QVERIFY2(runProblem.isEmpty(), qPrintable(runProblem));
        if (!repair)
            QCOMPARE(Tree::difference(whole.gameBefore, Tree::snapshot(whole.box.gameDir)),
                     QString());
    }

    const QList<int> points = killPoints(callCount, seed);
    QStringList failures;
    for (const int n : points) {
        Case killed(seed, way, wideFiles);
        const QString problem = mounted(killed);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const HelperRun run = runHelper(killed.box, n, operation);
        const QString at = QString("seed %1, %2 killed after call %3 of %4: ")
                               .arg(seed)
                               .arg(operation)
                               .arg(n)
                               .arg(callCount);
        if (run.exitStatus != QProcess::CrashExit) {
            failures << at + QString("the helper was not killed but exited with code %1\n%2")
                                 .arg(run.exitCode)
                                 .arg(run.errors);
            continue;
        }
        const QString records = killed.records("at the kill");

        ConfigStore config(utf8(killed.box.appDir));
        Worker worker(WorkerPaths::of(config), modName);
        WorkerLog log(&worker);
        worker.unmountModWorker(false);
        if (repair) {
            // The earlier version beside the game's newer one is reported, as it should be.
            failures << judgeAfterRepair(killed, replaced, at);
            continue;
        }
        if (log.results.size() != 1 || log.last().failed != 0 || log.last().missing != 0 ||
            log.last().aborted)
            failures << at + "the plain unmount after it reported problems (" + log.counts() +
                            "):\n" + log.errors.join('\n') + records;
        const QString change =
            Tree::difference(killed.gameBefore, Tree::snapshot(killed.box.gameDir));
        if (!change.isEmpty())
            failures << at + "the game is not as it was:\n" + change + records;
        failures << killed.leftBehind(at);
    }
    qInfo("seed %u: the %s makes %d counted calls, %d kill points run, %d failures", seed,
          qPrintable(operation), callCount, int(points.size()), int(failures.size()));
    if (!failures.isEmpty())
        QFAIL(qPrintable(reportFailures(failures, int(points.size()))));
#endif
}

void KillSafetyTest::mountThatCannotLinkChangesNothing_data()
{
    QTest::addColumn<MountWay>("way");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("symbolic links refused") << MountWay::SymbolicLinks << "symbolic links";
    QTest::newRow("hard links across drives") << MountWay::HardLinks << "hard links";
}

// Where the system refuses the mount's way of linking (no right to make symbolic links, a file
// system without them, hard links to another drive), one link tried says so before anything is
// placed, and the game and the records stay as they were.
void KillSafetyTest::mountThatCannotLinkChangesNothing()
{
#if !defined(Q_OS_LINUX) || !defined(RUNEMOUNT_KILLSHIM)
    RUNEMOUNT_SKIP("the kill shim needs LD_PRELOAD, which only the Linux build has");
#else
    QFETCH(MountWay, way);
    QFETCH(QString, refusal);
    // Game links and files in the way, folders the mount walks into.
    const quint32 seed = 143;
    Case refused(seed, way);
    QVERIFY2(refused.error.isEmpty(), qPrintable("could not build the trees: " + refused.error));
    const HelperRun run = runHelper(refused.box, 0, "mount", Links::Refused);
    QVERIFY2(run.started && run.exitStatus == QProcess::NormalExit,
             qPrintable("the helper did not run: " + run.errors));
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList({"refused: " + refusal, "result: 0 0 0"}));
    const QRegularExpressionMatch tried =
        QRegularExpression("killshim-refused-links: (\\d+)").match(run.errors);
    QVERIFY2(tried.hasMatch(), qPrintable("the shim did not report: " + run.errors));
    QCOMPARE(tried.captured(1).toInt(), 1);
    QCOMPARE(Tree::difference(refused.gameBefore, Tree::snapshot(refused.box.gameDir)), QString());
    QVERIFY2(recordIsEmpty(refused.box.outFiles()) && recordIsEmpty(refused.box.backupFiles()),
             qPrintable(refused.records("after the mount")));
    QVERIFY(!QFileInfo::exists(refused.box.appDir + "/link_probe.txt"));
#endif
}

QTEST_GUILESS_MAIN(KillSafetyTest)
#include "tst_killsafety.moc"
