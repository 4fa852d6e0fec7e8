#pragma once

#include "configstore.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The synthetic mod and game, the trees each run works on, and counting what is on disk.
namespace bench
{

struct ModFile {
    std::string relative;
    uint32_t size;
    bool conflict; // the game has a file of this name: the mount sets it aside first
};

struct Shape {
    size_t fileCount = 0;
    std::vector<std::string> modFolders;  // parents before children
    std::vector<std::string> gameFolders; // the mod folders the game has too
    std::vector<ModFile> modFiles;
    std::vector<std::string> gameOnlyFiles;
    size_t expectedLinks = 0;
    size_t expectedBackups = 0;
    size_t foldedFolders = 0;
    size_t gameFileCount(bool withConflicts) const
    {
        return gameOnlyFiles.size() + (withConflicts ? expectedBackups : 0);
    }
};

Shape makeShape(size_t fileCount);

void makeFolders(const std::string &path);

// The game folder; for Stow's target without the files the mod replaces, since Stow refuses
// to mount over them.
void writeGameTree(const Shape &shape, const std::string &root, bool withConflicts);

struct TreeCount {
    long files = 0;
    long folders = 0;
    long links = 0;
    long backups = 0;
    long long bytes = 0;
};

TreeCount countTree(const std::string &path);
// config.cfg of an application folder, naming the game folder.
void writeConfig(const std::string &app, const std::string &game);
bool exists(const std::string &path);
long countLines(const std::string &path);

// Microseconds to create one empty file in a fresh folder. Printed beside the figures, since
// the file system's state (recent mass deletions by anyone on this disk) can slow every
// creation many times over; nothing is removed here.
double probeCreation(const std::string &folder);

// One program installation with its mods and game, as one side of a run sees it.
struct Side {
    std::string root;
    std::string app;
    std::string mods;
    std::string game;
    std::string incoming; // the folder a user would add as a mod by moving it
    std::string modFolder() const { return mods + "/mod"; }
    std::string deleteFolder() const { return mods + "/moddel"; }
    std::string copyTarget() const { return mods + "/copied"; }
    std::string moveSource() const { return incoming + "/mod"; }
    std::string moveTarget() const { return mods + "/moved"; }
    std::string outFiles() const { return app + "/out_files.txt"; }
    std::string backupFiles() const { return app + "/backup_files.txt"; }
    std::unique_ptr<ConfigStore> config;
};

struct RunTrees {
    Side worker;     // timed with the Worker
    Side floor;      // timed with the bare system calls
    Side hardWorker; // mod and game for a hard-link mount by the Worker
    Side hardFloor;  // and by the bare system calls
    std::string stowTarget;
};

// All: the mod, its copies for delete and move-add, and the game; ModAndGame: only the first
// and the last, for a mount.
enum class SideTrees { All, ModAndGame };
Side prepareSide(const Shape &shape, const std::string &root, SideTrees trees = SideTrees::All);

// An installation whose mods folder holds `mods` mods named mod00000, mod00001, ... of
// `filesEach` small files each, for the window's list. Returns its application folder.
std::string prepareModList(const std::string &root, int mods, int filesEach);

} // namespace bench
