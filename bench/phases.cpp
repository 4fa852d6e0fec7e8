#include "phases.h"

#include "benchsupport.h"
#include "floorops.h"
#include "foldermeasure.h"
#include "table.h"
#include "trees.h"
#include "worker.h"
#include "workerdriver.h"

#include <QFileInfo>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace bench
{

namespace
{

void mountWithWorker(PhaseContext &context, SizeSet &set, int r)
{
    Side &w = set.runs[size_t(r)].worker;
    const WorkerRun mounted = context.driver.run(
        *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->mountModWorker(); }, true);
    set.samples["mount"].push_back({mounted.seconds, mounted.done});
    noteWorkerProblems(set, "mount", r, mounted);
    const long outLines = countLines(w.outFiles());
    const long backupLines = countLines(w.backupFiles());
    if (r == 0)
        set.notes.push_back(format(
            "mount: Worker made %s links and %s backups (result done %s, out_files.txt %s "
            "lines, backup_files.txt %s lines, %ld status reports, %ld of them delivered); %s mod "
            "folders were folded into one link each",
            withSpaces(mounted.done).c_str(), withSpaces(backupLines).c_str(),
            withSpaces(mounted.done).c_str(), withSpaces(outLines).c_str(),
            withSpaces(backupLines).c_str(), mounted.reportsTaken, mounted.statusSignals,
            withSpaces(long(set.shape.foldedFolders)).c_str()));
    expect(set,
           size_t(mounted.done) == set.shape.expectedLinks &&
               size_t(backupLines) == set.shape.expectedBackups,
           format("mount run %d: %d links and %ld backups, %zu and %zu expected", r + 1,
                  mounted.done, backupLines, set.shape.expectedLinks, set.shape.expectedBackups));
}

void mountWithFloor(SizeSet &set, int r)
{
    Side &f = set.runs[size_t(r)].floor;
    const Clock::time_point start = Clock::now();
    const floorops::MountCounts counts =
        floorops::mount(f.modFolder(), f.game, f.outFiles(), f.backupFiles());
    set.samples["floor mount"].push_back({secondsSince(start), counts.links});
    if (r == 0)
        set.notes.push_back(format("mount: floor made %s links and %s backups",
                                   withSpaces(counts.links).c_str(),
                                   withSpaces(counts.backups).c_str()));
    expect(set, counts.failed == 0 && size_t(counts.links) == set.shape.expectedLinks,
           format("floor mount run %d: %ld links, %ld failed", r + 1, counts.links, counts.failed));
}

// Adds `source` as the mod at `target`, copying or moving it.
void addWithWorker(PhaseContext &context, SizeSet &set, int r, const char *operation,
                   const std::string &source, const std::string &target, TransferMode mode)
{
    Side &w = set.runs[size_t(r)].worker;
    const QString from = q(source);
    const QString to = q(target);
    const WorkerRun added = context.driver.run(
        *w.config, QFileInfo(to).fileName(),
        [from, to, mode](Worker *worker) { worker->moveFolderWorker(from, to, mode); }, true);
    set.samples[operation].push_back({added.seconds, added.done});
    noteWorkerProblems(set, operation, r, added);
}

void copyAddWithWorker(PhaseContext &context, SizeSet &set, int r)
{
    Side &w = set.runs[size_t(r)].worker;
    addWithWorker(context, set, r, "copy-add", w.modFolder(), w.copyTarget(), TransferMode::Copy);
    expect(set, countTree(w.copyTarget()).files == long(set.files),
           format("copy-add run %d: the copy is incomplete", r + 1));
}

void copyAddWithFloor(SizeSet &set, int r)
{
    Side &f = set.runs[size_t(r)].floor;
    const Clock::time_point start = Clock::now();
    const long done = floorops::transferTree(f.modFolder(), f.copyTarget(), false);
    set.samples["floor copy-add"].push_back({secondsSince(start), done});
    expect(set, done == long(set.files), format("floor copy-add run %d: %ld files", r + 1, done));
}

// What the list's scan does for one mod.
FolderMeasure::Totals scanAsTheList(SizeSet &set, int r)
{
    const std::atomic<bool> going{false};
    const Clock::time_point start = Clock::now();
    const FolderMeasure::Totals totals =
        FolderMeasure::of(q(set.runs[size_t(r)].worker.modFolder()), going);
    set.samples["scan"].push_back({secondsSince(start), long(set.files)});
    return totals;
}

// du -sb of the very folder the list's scan measured, for the "scan (x: du -sb)" row.
void scanWithDu(PhaseContext &context, SizeSet &set, int r, const FolderMeasure::Totals &scanned,
                long files, long long bytes)
{
    Side &w = set.runs[size_t(r)].worker;
    const ToolRun measured = runTool(context.du, {QStringLiteral("-sb"), q(w.modFolder())});
    set.samples["du -sb"].push_back({measured.seconds, long(set.files)});
    if (r == 0)
        set.notes.push_back(
            format("scan: %s files, %s bytes; floor %s files, %s bytes; du -sb: %s (it counts "
                   "the folders' own blocks too)",
                   withSpaces(scanned.files).c_str(), withSpaces(scanned.bytes).c_str(),
                   withSpaces(files).c_str(), withSpaces(bytes).c_str(),
                   qPrintable(measured.output.section('\t', 0, 0))));
    expect(set, measured.ok, "du failed: " + measured.output.toStdString());
}

void moveAddWithWorker(PhaseContext &context, SizeSet &set, int r)
{
    Side &w = set.runs[size_t(r)].worker;
    addWithWorker(context, set, r, "move-add", w.moveSource(), w.moveTarget(), TransferMode::Move);
    expect(set, countTree(w.moveTarget()).files == long(set.files) && !exists(w.moveSource()),
           format("move-add run %d: %ld files arrived, source %s", r + 1,
                  countTree(w.moveTarget()).files,
                  exists(w.moveSource()) ? "still there" : "gone"));
}

void moveAddWithFloor(SizeSet &set, int r)
{
    Side &f = set.runs[size_t(r)].floor;
    const Clock::time_point start = Clock::now();
    const long done = floorops::transferTree(f.moveSource(), f.moveTarget(), true);
    set.samples["floor move-add"].push_back({secondsSince(start), done});
    expect(set, done == long(set.files) && !exists(f.moveSource()),
           format("floor move-add run %d: %ld files", r + 1, done));
}

void unmountWithWorker(PhaseContext &context, SizeSet &set, int r)
{
    Side &w = set.runs[size_t(r)].worker;
    const long links = countLines(w.outFiles());
    const WorkerRun unmounted = context.driver.run(
        *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->unmountModWorker(false); },
        true);
    set.samples["unmount"].push_back({unmounted.seconds, unmounted.done});
    // Until it announces the restore of the backups.
    set.samples["unmount first pass"].push_back({unmounted.firstActionSeconds, links});
    noteWorkerProblems(set, "unmount", r, unmounted);
    const TreeCount game = countTree(w.game);
    expect(set,
           game.links == 0 && game.backups == 0 &&
               size_t(game.files) == set.shape.gameFileCount(true),
           format("unmount run %d: the game folder holds %ld links, %ld backups, %ld files", r + 1,
                  game.links, game.backups, game.files));
}

void unmountWithFloor(SizeSet &set, int r)
{
    Side &f = set.runs[size_t(r)].floor;
    const Clock::time_point start = Clock::now();
    const floorops::UnmountCounts counts = floorops::unmount(f.outFiles(), f.backupFiles());
    set.samples["floor unmount"].push_back({secondsSince(start), counts.removed + counts.restored});
    expect(set, counts.failed == 0,
           format("floor unmount run %d: %ld failed", r + 1, counts.failed));
}

void unmountWithStow(PhaseContext &context, SizeSet &set, int r)
{
    RunTrees &trees = set.runs[size_t(r)];
    const long links = countTree(trees.stowTarget).links;
    const ToolRun unstowed =
        runTool(context.stow, {QStringLiteral("-D"), QStringLiteral("-d"), q(trees.floor.mods),
                               QStringLiteral("-t"), q(trees.stowTarget), QStringLiteral("mod")});
    set.samples["stow unmount"].push_back({unstowed.seconds, links});
    expect(set, unstowed.ok && countTree(trees.stowTarget).links == 0,
           "stow -D failed: " + unstowed.output.toStdString());
}

void deleteWithWorker(PhaseContext &context, SizeSet &set, int r)
{
    Side &w = set.runs[size_t(r)].worker;
    const WorkerRun deleted = context.driver.run(
        *w.config, QStringLiteral("moddel"), [](Worker *worker) { worker->deleteModWorker(); },
        true);
    set.samples["delete"].push_back({deleted.seconds, deleted.done});
    noteWorkerProblems(set, "delete", r, deleted);
    expect(set, !exists(w.deleteFolder()) && exists(w.mods),
           format("delete run %d: the mod folder %s", r + 1,
                  exists(w.deleteFolder()) ? "is still there" : "is gone, with the mods folder"));
}

void deleteWithFloor(SizeSet &set, int r)
{
    Side &f = set.runs[size_t(r)].floor;
    const Clock::time_point start = Clock::now();
    const long removed = floorops::removeTree(f.deleteFolder());
    set.samples["floor delete"].push_back({secondsSince(start), removed});
}

} // namespace

void bothSides(int run, const std::function<void()> &workerSide,
               const std::function<void()> &floorSide)
{
    const std::function<void()> &first = run % 2 == 0 ? workerSide : floorSide;
    const std::function<void()> &second = run % 2 == 0 ? floorSide : workerSide;
    ::sync();
    first();
    ::sync();
    second();
}

void runMountPhase(PhaseContext &context, SizeSet &set, int run)
{
    bothSides(
        run, [&] { mountWithWorker(context, set, run); }, [&] { mountWithFloor(set, run); });
}

void runCopyAddPhase(PhaseContext &context, SizeSet &set, int run)
{
    bothSides(
        run, [&] { copyAddWithWorker(context, set, run); }, [&] { copyAddWithFloor(set, run); });
}

void runScanPhase(PhaseContext &context, SizeSet &set, int run)
{
    FolderMeasure::Totals scanned;
    long long bytes = 0;
    long files = 0;
    bothSides(
        run, [&] { scanned = scanAsTheList(set, run); },
        [&] {
            const Clock::time_point start = Clock::now();
            files = floorops::scan(set.runs[size_t(run)].floor.modFolder(), bytes);
            set.samples["floor scan"].push_back({secondsSince(start), files});
        });
    expect(set, scanned.files == qint64(set.files),
           format("scan run %d: %lld files of %zu", run + 1, (long long)scanned.files, set.files));
    if (!context.du.isEmpty())
        scanWithDu(context, set, run, scanned, files, bytes);
}

void runStowPhase(PhaseContext &context, SizeSet &set, int run)
{
    RunTrees &trees = set.runs[size_t(run)];
    const ToolRun stowed =
        runTool(context.stow, {QStringLiteral("-d"), q(trees.floor.mods), QStringLiteral("-t"),
                               q(trees.stowTarget), QStringLiteral("mod")});
    const TreeCount count = countTree(trees.stowTarget);
    set.samples["stow mount"].push_back({stowed.seconds, count.links});
    if (run == 0)
        set.notes.push_back(format("stow: made %s links (into a game copy without the "
                                   "%s files the mod replaces)",
                                   withSpaces(count.links).c_str(),
                                   withSpaces(long(set.shape.expectedBackups)).c_str()));
    expect(set, stowed.ok, "stow failed: " + stowed.output.toStdString());
}

void runMoveAddPhase(PhaseContext &context, SizeSet &set, int run)
{
    bothSides(
        run, [&] { moveAddWithWorker(context, set, run); }, [&] { moveAddWithFloor(set, run); });
}

// The run's mod as a zip, written once (not timed), as a player downloads it.
std::string modZip(SizeSet &set, Side &side)
{
    const std::string zip = side.root + "/mod.zip";
    if (exists(zip))
        return zip;
    std::unique_ptr<archive, int (*)(archive *)> writer(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(writer.get());
    if (archive_write_open_filename(writer.get(), zip.c_str()) != ARCHIVE_OK)
        fail("cannot write %s", zip.c_str());
    std::vector<char> content;
    for (const ModFile &file : set.shape.modFiles) {
        const std::string path = side.modFolder() + '/' + file.relative;
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(),
                                                                        archive_entry_free);
        archive_entry_set_pathname(entry.get(), file.relative.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), file.size);
        content.assign(file.size, 'm');
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(writer.get(), content.data(), content.size()) !=
                la_ssize_t(content.size()))
            fail("cannot add %s to %s", path.c_str(), zip.c_str());
    }
    archive_write_close(writer.get());
    return zip;
}

// A zip of 100 entries of `entryBytes` each: the same entries at every size, growing in bytes.
std::string bigEntriesZip(const Side &side, la_int64_t entryBytes)
{
    const std::string zip = side.root + "/big.zip";
    std::unique_ptr<archive, int (*)(archive *)> writer(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(writer.get());
    if (archive_write_open_filename(writer.get(), zip.c_str()) != ARCHIVE_OK)
        fail("cannot write %s", zip.c_str());
    const std::vector<char> block(1 << 20, 'b');
    for (int i = 0; i < 100; ++i) {
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(),
                                                                        archive_entry_free);
        archive_entry_set_pathname(entry.get(), format("big/%03d.bin", i).c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), entryBytes);
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK)
            fail("cannot add to %s", zip.c_str());
        for (la_int64_t left = entryBytes; left > 0; left -= la_int64_t(block.size()))
            archive_write_data(writer.get(), block.data(),
                               size_t(std::min<la_int64_t>(left, la_int64_t(block.size()))));
    }
    archive_write_close(writer.get());
    return zip;
}

// Extraction streams: with the entries the same, the Worker's memory does not grow with the
// bytes they hold (100 entries of as many hundred bytes as the size has files).
void noteMemoryOfBigEntries(PhaseContext &context, SizeSet &set, Side &side)
{
    const la_int64_t entryBytes = la_int64_t(set.files) * 100;
    const std::string zip = bigEntriesZip(side, entryBytes);
    resetPeakMemory();
    const long before = peakMemoryKiB();
    const WorkerRun extracted = context.driver.run(
        *side.config, QStringLiteral("big"),
        [&zip, &side](Worker *worker) {
            worker->extractArchiveWorker(q(zip), q(side.mods + "/big"));
        },
        true);
    set.notes.push_back(format("extract of 100 entries of %s bytes: the peak resident size rose "
                               "from %ld to %ld KiB (%d entries written)",
                               withSpaces(long(entryBytes)).c_str(), before, peakMemoryKiB(),
                               extracted.done));
}

void runExtractPhase(PhaseContext &context, SizeSet &set, int run)
{
    Side &w = set.runs[size_t(run)].worker;
    const std::string zip = modZip(set, w);
    const QString target = q(w.mods + "/extracted");
    // The Worker's own peak, not the writing of the zip before it.
    resetPeakMemory();
    const long before = peakMemoryKiB();
    const WorkerRun extracted = context.driver.run(
        *w.config, QStringLiteral("extracted"),
        [&zip, &target](Worker *worker) { worker->extractArchiveWorker(q(zip), target); }, true);
    set.samples["extract"].push_back({extracted.seconds, extracted.done});
    if (run == 0)
        set.notes.push_back(format("extract: the process's peak resident size rose from %ld to "
                                   "%ld KiB while the Worker extracted the zip (%s bytes)",
                                   before, peakMemoryKiB(),
                                   withSpaces(long(QFileInfo(q(zip)).size())).c_str()));
    noteWorkerProblems(set, "extract", run, extracted);
    expect(set, size_t(extracted.done) == set.shape.modFiles.size(),
           format("extract run %d: %d of %zu files", run + 1, extracted.done,
                  set.shape.modFiles.size()));
    if (run == 0)
        noteMemoryOfBigEntries(context, set, w);
    if (context.bsdtar.isEmpty())
        return;
    // The same library's own tool, into an empty folder on the same disk.
    const std::string into = set.runs[size_t(run)].floor.root + "/extracted";
    makeFolders(into);
    const ToolRun bsdtar =
        runTool(context.bsdtar, {QStringLiteral("-xf"), q(zip), QStringLiteral("-C"), q(into)});
    set.samples["bsdtar extract"].push_back({bsdtar.seconds, countTree(into).files});
    expect(set, bsdtar.ok, "bsdtar -xf failed: " + bsdtar.output.toStdString());
}

void runCheckPhase(PhaseContext &context, SizeSet &set, int run)
{
    // Only the Worker: it reads what the mount left, and there is no bare equivalent.
    Side &w = set.runs[size_t(run)].worker;
    const long lines = countLines(w.outFiles()) + countLines(w.backupFiles());
    const WorkerRun checked = context.driver.run(
        *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->checkModWorker(); }, true);
    set.samples["check"].push_back({checked.seconds, checked.done});
    noteWorkerProblems(set, "check", run, checked);
    expect(set, checked.done == lines,
           format("check run %d: %d of %ld record lines as mounted", run + 1, checked.done, lines));
}

void runPreviewPhase(PhaseContext &context, SizeSet &set, int run)
{
    // Only the Worker, as for the check. The mod as a user previews it before mounting: the
    // hard-link side's copy, not mounted before its own phase, walked the way the check's mount
    // was made. And the mounted mod, whose preview reads the records of the mount checked.
    struct Preview {
        const char *operation;
        Side *side;
        bool mounted;
        size_t entries; // one for each link a mount places, or each backup
    };
    RunTrees &trees = set.runs[size_t(run)];
    const Preview previews[] = {
        {"preview, unmounted", &trees.hardWorker, false, set.shape.expectedLinks},
        {"preview, mounted", &trees.worker, true, set.shape.expectedBackups}};
    for (const Preview &preview : previews) {
        const bool mounted = preview.mounted;
        const WorkerRun previewed = context.driver.run(
            *preview.side->config, QStringLiteral("mod"),
            [mounted](Worker *worker) { worker->previewModWorker(mounted); }, true);
        set.samples[preview.operation].push_back({previewed.seconds, previewed.done});
        noteWorkerProblems(set, preview.operation, run, previewed);
        expect(set, size_t(previewed.done) == preview.entries,
               format("%s run %d: %d entries, %zu expected", preview.operation, run + 1,
                      previewed.done, preview.entries));
    }
}

void runUnmountPhase(PhaseContext &context, SizeSet &set, int run)
{
    bothSides(
        run, [&] { unmountWithWorker(context, set, run); }, [&] { unmountWithFloor(set, run); });
    ::sync();
    if (!context.stow.isEmpty())
        unmountWithStow(context, set, run);
}

void runDeletePhase(PhaseContext &context, SizeSet &set, int run)
{
    bothSides(
        run, [&] { deleteWithWorker(context, set, run); }, [&] { deleteWithFloor(set, run); });
}

} // namespace bench
