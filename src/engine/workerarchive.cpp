// The Worker's add of a mod from an archive, in a build that reads archives.
#include "worker.h"

#include "archiveadd.h"

void Worker::extractArchiveWorker(const QString &archivePath, const QString &target)
{
    OutcomeCounts counts;
    if (!aborted) {
        ArchiveAdd add(
            paths.mods, paths.game, reporter(),
            [this](int files, qint64 read, qint64 total) { emit amountDone(files, read, total); },
            aborted);
        counts = add.run(archivePath, target);
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}
