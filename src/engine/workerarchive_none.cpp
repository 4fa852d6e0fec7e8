// A build without libarchive reads no archives; the window offers no such add there.
#include "worker.h"

void Worker::extractArchiveWorker(const QString &archivePath, const QString &)
{
    emit status(QStringLiteral("Failed to read archive: ") + archivePath +
                    QStringLiteral(" (this build reads no archives)"),
                true);
    emit resultReady(modName, 0, 1, 0, 0, aborted, false);
}
