#include "worker.h"

#include "mountcheck.h"
#include "mountrepair.h"
#include "unmountpass.h"

#include <utility>

Worker::Worker(const WorkerPaths &workerPaths, QString mod)
    : paths(workerPaths), modName(std::move(mod)),
      placer(paths.outFiles, paths.backupFiles, reporter()),
      removal(paths.game, paths.mods, reporter()), mount(placer, modFolder(), reporter(), aborted)
{
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

void Worker::mountModWorker()
{
    const OutcomeCounts counts = mount.mountFolder(modFolder(), paths.game);
    placer.closeRecords();
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

void Worker::unmountModWorker(bool force)
{
    OutcomeCounts counts;
    if (!aborted) {
        UnmountPass pass(
            paths, force, placer, removal, reporter(),
            [this](const QString &text) { emit appendAction(text); }, aborted);
        counts = pass.run();
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, force);
}

void Worker::checkModWorker()
{
    MountCheck check(paths.game, modFolder(), reporter(), aborted);
    const OutcomeCounts counts = check.run(paths.outFiles, paths.backupFiles);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

void Worker::repairModWorker()
{
    OutcomeCounts counts;
    if (!aborted) {
        MountRepair repair(paths, modFolder(), placer, removal, mount, reporter(), aborted);
        counts = repair.run();
    }
    placer.closeRecords();
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

void Worker::deleteEmptyFolders(const QString &folder, const QString &stopFolder)
{
    removal.deleteEmptyFolders(folder, stopFolder);
}
