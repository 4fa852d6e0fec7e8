#pragma once

#include <QString>

class GameNames;

// A link that a mount placed in the game folder, and the mod entry it stands for.
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

} // namespace PlacedLink
