#pragma once

class MountRecords;

// How many entries the mount's records still list, by what stands for each in the game folder:
// what a mount that is forgotten leaves behind.
struct ListedRecords {
    int links = 0;   // symbolic and hard links
    int folders = 0; // folders a hard-link mount made
    int backups = 0;

    // Reads the records whole: never on the window's thread.
    static ListedRecords of(const MountRecords &records);
};
