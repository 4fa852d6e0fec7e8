#pragma once

#include <QString>

// A link that a mount placed in the game folder, and the mod entry it stands for.
namespace PlacedLink
{

// The mod's entry at the same place below `modFolder` as `placedPath` below `gameFolder`.
QString modEntry(const QString &placedPath, const QString &gameFolder, const QString &modFolder);
// `path` is a symbolic link to `target` (also when `target` is gone), names compared as the
// game compares them: regardless of case.
bool leadsTo(const QString &path, const QString &target);

} // namespace PlacedLink
