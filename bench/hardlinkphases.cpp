#include "benchsupport.h"
#include "floorops.h"
#include "phases.h"
#include "table.h"
#include "trees.h"
#include "worker.h"
#include "workerdriver.h"

namespace bench
{

void runHardLinkMountPhase(PhaseContext &context, SizeSet &set, int run)
{
    RunTrees &trees = set.runs[size_t(run)];
    long workerPlaced = -1;
    long floorPlaced = -1;
    bothSides(
        run,
        [&] {
            Side &w = trees.hardWorker;
            w.config->set(ConfigKey::hardLinks, "1");
            const WorkerRun mounted = context.driver.run(
                *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->mountModWorker(); },
                true);
            set.samples["hard-link mount"].push_back({mounted.seconds, mounted.done});
            workerPlaced = mounted.done;
            noteWorkerProblems(set, "hard-link mount", run, mounted);
            if (run == 0)
                set.notes.push_back(format("hard-link mount: Worker placed %s entries (hard links "
                                           "and the folders it made)",
                                           withSpaces(mounted.done).c_str()));
        },
        [&] {
            Side &f = trees.hardFloor;
            const Clock::time_point start = Clock::now();
            const floorops::MountCounts counts =
                floorops::hardLinkMount(f.modFolder(), f.game, f.outFiles(), f.backupFiles());
            set.samples["floor hard-link mount"].push_back({secondsSince(start), counts.links});
            floorPlaced = counts.links;
            expect(set, counts.failed == 0,
                   format("floor hard-link mount run %d: %ld failed", run + 1, counts.failed));
        });
    expect(set, workerPlaced == floorPlaced,
           format("hard-link mount run %d: the Worker placed %ld entries, the floor %ld", run + 1,
                  workerPlaced, floorPlaced));
}

void runHardLinkUnmountPhase(PhaseContext &context, SizeSet &set, int run)
{
    RunTrees &trees = set.runs[size_t(run)];
    bothSides(
        run,
        [&] {
            Side &w = trees.hardWorker;
            const WorkerRun unmounted = context.driver.run(
                *w.config, QStringLiteral("mod"),
                [](Worker *worker) { worker->unmountModWorker(false); }, true);
            set.samples["hard-link unmount"].push_back({unmounted.seconds, unmounted.done});
            noteWorkerProblems(set, "hard-link unmount", run, unmounted);
            const TreeCount game = countTree(w.game);
            expect(set, game.backups == 0 && size_t(game.files) == set.shape.gameFileCount(true),
                   format("hard-link unmount run %d: the game folder holds %ld backups, %ld files",
                          run + 1, game.backups, game.files));
        },
        [&] {
            Side &f = trees.hardFloor;
            const Clock::time_point start = Clock::now();
            const floorops::UnmountCounts counts =
                floorops::hardLinkUnmount(f.outFiles(), f.backupFiles());
            set.samples["floor hard-link unmount"].push_back(
                {secondsSince(start), counts.removed + counts.restored});
            expect(set, counts.failed == 0,
                   format("floor hard-link unmount run %d: %ld failed", run + 1, counts.failed));
        });
}

} // namespace bench
