#pragma once

// Random but reproducible game and mod folders for the mount tests. Names come from a small
// pool shared by both trees, so the mod keeps running into game entries: files it replaces,
// game folders it descends into (some of them empty), folders the game lacks, a mod file where
// the game has a folder and a mod folder where the game has a file, hidden and empty folders,
// game files already named like backups, and game links (to a file, to a folder, dangling).

#include <QString>

#include <cstdint>

namespace RandomTree
{

// Fills the existing folders `gameDir` and `modDir` from `seed`. The same seed always makes
// the same entries in the same order (nothing is read back from the disk while building), so a
// failing seed can be built again. False, with the path that could not be made in `error`, if
// an entry could not be created. Without `gameLinks` (a system that makes no symbolic links)
// each game link is a game file instead, and the rest of the trees stays the same.
bool build(std::uint32_t seed, const QString &gameDir, const QString &modDir,
           QString *error = nullptr, bool gameLinks = true);

} // namespace RandomTree
