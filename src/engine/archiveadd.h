#pragma once

#include "fileoutcome.h"
#include "workerparts.h"

#include <QString>

#include <atomic>
#include <functional>

// Adds a mod straight from its archive: extracted into a staging folder in the mods folder,
// which takes the mod's name only once the whole archive is in it.
class ArchiveAdd
{
public:
    // Files written, and bytes of the archive read against its size.
    using Amount = std::function<void(int files, qint64 bytesRead, qint64 archiveBytes)>;

    ArchiveAdd(const QString &modsFolder, const QString &gameFolder, WorkerParts::Report report,
               Amount amount, const std::atomic<bool> &aborted);

    // `target` is the mod's folder, which must not exist yet.
    OutcomeCounts run(const QString &archivePath, const QString &target);

private:
    const QString modsFolder;
    const QString gameFolder;
    WorkerParts::Report report;
    Amount amount;
    const std::atomic<bool> &aborted;
};
