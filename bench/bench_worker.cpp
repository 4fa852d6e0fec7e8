// Times the Worker's file operations on synthetic mods of 1 000 to 100 000 files, next to the
// bare system calls that do the same work (the floor), GNU Stow and du. Prints figures only;
// nothing here passes or fails on timing. What the window does meanwhile is bench_window's.

#include "benchsupport.h"
#include "phases.h"
#include "table.h"
#include "trees.h"
#include "workerdriver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QStringList>

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

using namespace bench;

namespace
{

struct Options {
    std::vector<size_t> sizes;
    int runs = 0;
    std::string workParent; // absolute
    QStringList phases;     // empty: all
};

// What all trees of all runs take on disk.
struct Needs {
    double bytes = 0;
    long long files = 0;
};

using PhaseBody = void (*)(PhaseContext &, SizeSet &, int run);

struct Phase {
    const char *name;
    PhaseBody body;
    bool needsStow;
    bool removes; // runs after every phase that only creates
};

// Every tree of every run is written before the first measurement, the operations that remove
// entries (move-add, unmount, delete) run after all those that only create, and the trees are
// removed only after the last measurement: on ext4, creating entries shortly after many were
// deleted can cost many times more, which would make whatever runs after a deletion look slow.
const Phase phases[] = {
    {"mount", runMountPhase, false, false},      // creates links, moves game files aside
    {"copy-add", runCopyAddPhase, false, false}, // creates files
    {"scan", runScanPhase, false, false},        // only reads
    {"check", runCheckPhase, false, false},      // only reads what the mount left
    {"preview", runPreviewPhase, false, false},  // only reads
    {"extract", runExtractPhase, false, false},  // creates files from a zip
    {"stow", runStowPhase, true, false},         // creates links
    {"move-add", runMoveAddPhase, false, true}, // renames files, removes the emptied source folders
    {"hard-link-mount", runHardLinkMountPhase, false, false}, // hard links and folders
    {"unmount", runUnmountPhase, false, true}, // removes links, moves game files back
    {"hard-link-unmount", runHardLinkUnmountPhase, false, true},
    {"delete", runDeletePhase, false, true}, // removes files and folders
};

std::vector<size_t> parseSizes(const QString &text)
{
    std::vector<size_t> sizes;
    for (const QString &part : text.split(QLatin1Char(','))) {
        if (part.trimmed().isEmpty())
            continue;
        bool ok = false;
        const qulonglong value = part.trimmed().toULongLong(&ok);
        if (!ok || value < 100)
            fail("sizes are file counts of at least 100, separated by commas: %s",
                 qPrintable(text));
        sizes.push_back(size_t(value));
    }
    if (sizes.empty())
        fail("no sizes given");
    return sizes;
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times mount, unmount, scan, delete and adding of synthetic mods by the Worker, next to "
        "the bare system calls doing the same, GNU Stow and du. Prints medians."));
    parser.addHelpOption();
    const QCommandLineOption sizesOption(
        QStringLiteral("sizes"), QStringLiteral("Mod sizes in files, comma-separated."),
        QStringLiteral("list"), QStringLiteral("1000,10000,100000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Runs per size; medians are reported."),
                                        QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption workOption(
        QStringLiteral("work-dir"),
        QStringLiteral("Folder in which a fresh work folder is made and removed at the end."),
        QStringLiteral("dir"), QStringLiteral("/tmp"));
    parser.addOption(sizesOption);
    const QCommandLineOption phasesOption(
        QStringLiteral("phases"),
        QStringLiteral(
            "Only these phases, comma-separated, of mount, copy-add, scan, check, preview, "
            "extract, "
            "stow, hard-link-mount, move-add, unmount, hard-link-unmount, delete (check and "
            "unmount "
            "need mount, hard-link-unmount needs hard-link-mount; preview compares with a mount "
            "too)."),
        QStringLiteral("list"));
    parser.addOption(runsOption);
    parser.addOption(phasesOption);
    parser.addOption(workOption);
    parser.process(app);

    Options options;
    options.sizes = parseSizes(parser.value(sizesOption));
    bool runsOk = false;
    options.runs = parser.value(runsOption).toInt(&runsOk);
    if (!runsOk || options.runs < 1)
        fail("--runs takes a positive number");
    for (const QString &name : parser.value(phasesOption).split(QLatin1Char(','))) {
        if (name.trimmed().isEmpty())
            continue;
        if (std::none_of(std::begin(phases), std::end(phases), [&name](const Phase &phase) {
                return name.trimmed() == QLatin1String(phase.name);
            }))
            fail("no phase is called %s", qPrintable(name));
        options.phases << name.trimmed();
    }
    options.workParent =
        std::filesystem::absolute(parser.value(workOption).toStdString()).lexically_normal();
    return options;
}

std::vector<SizeSet> makeSizeSets(const std::vector<size_t> &sizes)
{
    std::vector<SizeSet> sets(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        sets[i].files = sizes[i];
        sets[i].shape = makeShape(sizes[i]);
    }
    return sets;
}

Needs estimateNeeds(const std::vector<SizeSet> &sets, const Options &options)
{
    const int runs = options.runs;
    Needs needs;
    for (const SizeSet &set : sets) {
        const Shape &shape = set.shape;
        // Per run and side: mod, delete copy, move source, copy-add result, game, and the mod and
        // game of the hard-link mount; plus Stow's game. Each small file takes a 4 KiB block.
        const double files =
            double(runs) *
            (2.0 * (5.0 * double(set.files) + 2.0 * double(shape.gameFileCount(true))) +
             double(shape.gameFileCount(false)));
        needs.files += (long long)files;
        needs.bytes += files * 4096.0 * 1.1;
    }
    return needs;
}

// Every tree of every run, before anything is timed.
void prepareTrees(std::vector<SizeSet> &sets, int runs, const std::string &work, bool withStow)
{
    const Clock::time_point prepareStart = Clock::now();
    for (SizeSet &set : sets) {
        progress("preparing %zu files x %d runs (%zu links and %zu backups expected)", set.files,
                 runs, set.shape.expectedLinks, set.shape.expectedBackups);
        for (int r = 0; r < runs; ++r) {
            const std::string root = work + format("/s%zu/r%d", set.files, r + 1);
            RunTrees trees;
            // The two sides alternate, so that neither gets the fresher part of the disk.
            trees.worker = prepareSide(set.shape, root + "/worker");
            trees.floor = prepareSide(set.shape, root + "/floor");
            trees.hardWorker = prepareSide(set.shape, root + "/hard-worker", SideTrees::ModAndGame);
            trees.hardFloor = prepareSide(set.shape, root + "/hard-floor", SideTrees::ModAndGame);
            trees.stowTarget = root + "/stowgame";
            if (withStow)
                writeGameTree(set.shape, trees.stowTarget, false);
            set.runs.push_back(std::move(trees));
        }
    }
    ::sync();
    progress("prepared in %.1f s; peak RSS %ld KiB", secondsSince(prepareStart), peakRssKiB());
}

// Each phase goes through every size and every run before the next phase starts.
void runPhases(std::vector<SizeSet> &sets, int runs, PhaseContext &context, bool removing,
               const QStringList &wanted)
{
    for (const Phase &phase : phases) {
        if (phase.removes != removing || (phase.needsStow && context.stow.isEmpty()) ||
            !(wanted.isEmpty() || wanted.contains(QLatin1String(phase.name))))
            continue;
        for (SizeSet &set : sets) {
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < runs; ++r)
                phase.body(context, set, r);
            progress("%-10s %7zu files: %.1f s for %d runs; peak RSS %ld KiB", phase.name,
                     set.files, secondsSince(start), runs, peakRssKiB());
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_worker"));
    const Options options = parseOptions(app);

    std::vector<SizeSet> sets = makeSizeSets(options.sizes);
    const Needs needs = estimateNeeds(sets, options);
    makeFolders(options.workParent);
    checkDiskSpace(options.workParent, needs.bytes, needs.files);
    const std::string work = makeWorkFolder(options.workParent);

    const QString stow = QStandardPaths::findExecutable(QStringLiteral("stow"));
    const QString du = QStandardPaths::findExecutable(QStringLiteral("du"));
    const QString bsdtar = QStandardPaths::findExecutable(QStringLiteral("bsdtar"));

    progress("work folder %s; about %.1f GiB and %s files to write", work.c_str(),
             needs.bytes / 1073741824.0, withSpaces(needs.files).c_str());
    prepareTrees(sets, options.runs, work, !stow.isEmpty());
    const double probeBefore = probeCreation(work + "/probe-before");
    progress("creating an empty file takes %.0f us", probeBefore);

    WorkerDriver driver;
    PhaseContext context{driver, stow, du, bsdtar};
    runPhases(sets, options.runs, context, false, options.phases);
    runPhases(sets, options.runs, context, true, options.phases);

    const double probeAfter = probeCreation(work + "/probe-after");
    printReport(sets, {options.runs, probeBefore, probeAfter, !stow.isEmpty()});
    removeWorkFolder(work);
    return 0;
}
