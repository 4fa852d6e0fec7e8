#pragma once

#include "fileoutcome.h"
#include "modwalk.h"
#include "workerparts.h"

#include <QString>

#include <atomic>

class EntryPlacer;

// Mounts a mod: links each entry the walk of the mod hands it at its place in the game folder
// the placer's way (for hard links, in folders it makes where the game has none), every entry
// and backup on record before it is made.
class ModMount : private ModWalk::Visitor
{
public:
    // `placer` holds the mount's records and the way it links; nothing is placed in
    // `ownFolders`.
    ModMount(EntryPlacer &placer, const QString &modFolder, OwnFolders ownFolders,
             WorkerParts::Report report, const std::atomic<bool> &aborted);

    // `folder` is the mod's folder, or one inside it; `gameFolder` its place in the game.
    OutcomeCounts mountFolder(const QString &folder, const QString &gameFolder)
    {
        return walk.walk(folder, gameFolder);
    }
    // A link already on record (a repair), which the walk passes by.
    void passBy(const QString &linkPath) { walk.passBy(linkPath); }
    // What a mount says of an entry the walk refuses, placing the `mode` way.
    static QString refusalText(const ModWalk::Entry &entry, ModWalk::Refusal why,
                               TransferMode mode);

private:
    void reached(const ModWalk::Entry &entry) override;
    FileOutcome place(const ModWalk::Entry &entry, FileEntry::Kind targetKind) override;
    void refuse(const ModWalk::Entry &entry, ModWalk::Refusal why) override;
    FileOutcome makeFolder(const ModWalk::Entry &entry, FileEntry::Kind targetKind) override;

    EntryPlacer &placer;
    WorkerParts::Report report;
    ModWalk walk;
};
