#pragma once

#include "hardlink.h"
#include "mountrecords.h"

#include <QString>

class GameNames;

// An entry that a mount placed in the game folder, and the mod entry it stands for.
namespace PlacedLink
{

// The mod's entry at the same place below `modFolder` as `placedPath` below `gameFolder`, in the
// mod's own spelling (the placed path has the game's, which may differ in case); where the mod
// has no such entry, the path it would have.
QString modEntry(const QString &placedPath, const QString &gameFolder, const QString &modFolder,
                 GameNames &modNames);
// `path` is a symbolic link to `target` (also when `target` is gone), names compared as the
// game compares them: regardless of case.
bool leadsTo(const QString &path, const QString &target);
// What stands at `path` is still what the mount placed there of `modEntry`, both read now: a
// symbolic link to it, a hard link of it (one file), a folder.
bool standsFor(MountRecords::PlacedKind kind, const QString &path, const QString &modEntry);
// A hard link at `path` is still the file whose identity the record holds, read now.
bool isRecordedFile(const MountRecords::Placed &entry, const QString &path);
// The same, for what a look at its path saw.
bool isRecordedFile(const MountRecords::Placed &entry, const HardLink::Look &look);

} // namespace PlacedLink
