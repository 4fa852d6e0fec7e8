#pragma once

#include "fileoutcome.h"
#include "workerparts.h"

#include <QSet>
#include <QString>

#include <atomic>

class EntryPlacer;

// Mounts a mod: links each of its entries at the same place in the game folder, under the
// game's own spelling, and walks into the game's real folders to link the mod's entries inside
// them one by one.
class ModMount
{
public:
    ModMount(EntryPlacer &placer, const QString &modFolder, WorkerParts::Report report,
             const std::atomic<bool> &aborted);

    // `folder` is the mod's folder, or one inside it; `gameFolder` its place in the game.
    OutcomeCounts mountFolder(const QString &folder, const QString &gameFolder);
    // A link already on record (a repair), which the walk passes by.
    void passBy(const QString &linkPath) { alreadyPlaced.insert(linkPath.toCaseFolded()); }

private:
    EntryPlacer &placer;
    const QString modRoot; // the mod's folder and a slash
    WorkerParts::Report report;
    const std::atomic<bool> &aborted;
    // Link paths already on record (case-folded), which a repair's walk of the mod passes by.
    QSet<QString> alreadyPlaced;
    // Link paths placed by this run (case-folded): a second entry of the mod that the game sees
    // under the same name is not placed.
    QSet<QString> placedNow;
};
