#include "worker.h"

#include "entryplacer.h"
#include "linkprobe.h"
#include "modmount.h"
#include "mountcheck.h"
#include "mountpreview.h"
#include "mountrecords.h"
#include "mountrepair.h"
#include "ownfolders.h"
#include "unmountpass.h"

#include <utility>

Worker::Worker(const WorkerPaths &workerPaths, QString mod)
    : paths(workerPaths), modName(std::move(mod)), removal(paths.game, paths.mods, reporter())
{
    qRegisterMetaType<LinkRefusal>();
    qRegisterMetaType<PreviewedMount>();
}

Worker::~Worker() = default;

WorkerParts::Report Worker::reporter()
{
    return [this](const QString &text, bool error) { emit status(text, error); };
}

QString Worker::modFolder() const
{
    return paths.mods + QLatin1Char('/') + modName;
}

MountWay Worker::way() const
{
    return paths.hardLinks ? MountWay::HardLinks : MountWay::SymbolicLinks;
}

bool Worker::refusesWay()
{
    const LinkRefusal why = LinkProbe(paths.game, paths.linkProbe).run(way(), modFolder());
    if (why == LinkRefusal::None)
        return false;
    emit mountRefused(why);
    emit resultReady(modName, 0, 0, 0, 0, false, false);
    return true;
}

void Worker::mountModWorker()
{
    if (refusesWay())
        return;
    MountRecords records(paths.outFiles, paths.backupFiles);
    EntryPlacer placer(reporter(), aborted, &records, way());
    ModMount mount(placer, modFolder(), OwnFolders::of(paths), reporter(), aborted);
    const OutcomeCounts counts = mount.mountFolder(modFolder(), paths.game);
    records.close();
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}

void Worker::unmountModWorker(bool force)
{
    OutcomeCounts counts;
    if (!aborted) {
        // A link a mount made to try its way, left by a process killed right then.
        LinkProbe(paths.game, paths.linkProbe).clearLeftover();
        MountRecords records(paths.outFiles, paths.backupFiles);
        // Backups go back unrecorded: the pass rewrites the records itself.
        EntryPlacer placer(reporter(), aborted);
        UnmountPass pass(
            paths, modFolder(), force, records, placer, removal, reporter(),
            [this](const QString &text) { emit appendAction(text); }, aborted);
        counts = pass.run();
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     force);
}

ListedRecords Worker::listedRecords() const
{
    return ListedRecords::of(MountRecords(paths.outFiles, paths.backupFiles));
}

void Worker::checkModWorker()
{
    MountCheck check(paths.game, modFolder(), OwnFolders::of(paths), reporter(), aborted);
    const OutcomeCounts counts = check.run(MountRecords(paths.outFiles, paths.backupFiles));
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}

void Worker::previewModWorker(bool mounted)
{
    const MountRecords records(paths.outFiles, paths.backupFiles);
    PreviewedMount preview = mounted
                                 ? MountPreview::ofRecords(records, paths.game, reporter(), aborted)
                                 : MountPreview(paths.game, modFolder(), OwnFolders::of(paths),
                                                way(), reporter(), aborted)
                                       .run();
    preview.modName = modName;
    if (!aborted)
        emit previewReady(preview);
    // What it found is in the preview, not a problem of the operation.
    emit resultReady(modName, preview.replaced.size() + preview.added.size(), 0, 0, 0, aborted,
                     false);
}

void Worker::repairModWorker()
{
    OutcomeCounts counts;
    if (!aborted) {
        if (refusesWay())
            return;
        MountRecords records(paths.outFiles, paths.backupFiles);
        EntryPlacer placer(reporter(), aborted, &records, way());
        const OwnFolders own = OwnFolders::of(paths);
        ModMount mount(placer, modFolder(), own, reporter(), aborted);
        MountRepair repair(paths.game, modFolder(), own, records, placer, removal, mount,
                           reporter(), aborted);
        counts = repair.run();
        records.close();
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}
