#pragma once

#include "trees.h"

#include <string>
#include <vector>

// What the user sees while the Worker works: the window's thread, timed with a heartbeat (a
// 10 ms timer on that thread; a late tick is a moment the window could not react), next to the
// same work done alone: du over the mods folder for a refresh, the Worker alone for a mount.
namespace bench
{

class WorkerDriver;

struct WindowCase {
    std::string name;
    long items = 0;          // rows filled or entries mounted
    double seconds = 0;      // until the last row was filled, or the result arrived
    double aloneSeconds = 0; // the same work alone (du, the Worker, one read through Wine)
    long memoryKiB = 0;      // the process's peak resident size during the case
    long aloneMemoryKiB = 0; // 0 where another program did it
    double longestGapMs = 0; // between two heartbeats
    double gapP99Ms = 0;
    std::vector<std::string> problems;
};

struct WindowTrees {
    std::vector<std::pair<int, std::string>> modLists; // mods in the list, application folder
    Shape mountShape;
    Side mountByWorker;   // mounted by the Worker alone
    Side mountByWindow;   // mounted through a Controller with its dialog
    std::string wineRoot; // a Wine prefix with the game, and an application folder
};

// Writes the trees of the window cases: a mods folder of `filesEach` files per mod for every
// count in `modCounts`, and two copies of a mod of `mountFiles` files with its game.
WindowTrees prepareWindowTrees(const std::string &root, const std::vector<int> &modCounts,
                               int filesEach, size_t mountFiles);

// The refreshes of the lists, then the mount; needs a QApplication.
std::vector<WindowCase> runWindowCases(WindowTrees &trees, int filesEach, WorkerDriver &driver);

void printWindowCases(const std::vector<WindowCase> &cases);

} // namespace bench
