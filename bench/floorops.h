#pragma once

#include <string>

// The floor: what the operations cost in system calls alone, with the same decisions as the
// Worker and nothing else (no signals, no Qt, no re-checks).
namespace bench::floorops
{

struct MountCounts {
    long links = 0;
    long backups = 0;
    long failed = 0;
};

// Links the mod into the game as the Worker does, recording links and backups in the two
// files.
MountCounts mount(const std::string &modFolder, const std::string &gameFolder,
                  const std::string &outPath, const std::string &backupPath);

struct UnmountCounts {
    long removed = 0;
    long restored = 0;
    long failed = 0;
};

UnmountCounts unmount(const std::string &outPath, const std::string &backupPath);

// The same with hard links: a folder made for each mod folder the game lacks, one hard link per
// file; the unmount removes the links, then the folders, last made first.
MountCounts hardLinkMount(const std::string &modFolder, const std::string &gameFolder,
                          const std::string &outPath, const std::string &backupPath);
UnmountCounts hardLinkUnmount(const std::string &outPath, const std::string &backupPath);

// Returns the number of regular files and sets `bytes` to their total size.
long scan(const std::string &folder, long long &bytes);

// Returns the number of files removed.
long removeTree(const std::string &folder);

// Copies or moves the files of `source` one by one, as adding a folder as a mod does; a move
// removes the source folders it empties.
long transferTree(const std::string &source, const std::string &target, bool move);

} // namespace bench::floorops
