#pragma once

#include <QString>

class ConfigStore;

// The folders and files a Worker works with. Copied from the store on the thread that owns it,
// when the Worker is made: the store is never read again, so neither a later change of the
// settings nor the store going away with the window can touch a running operation.
struct WorkerPaths {
    QString game;
    // The program's own folder, where config.cfg and the records are.
    QString app;
    QString mods;
    QString outFiles;
    QString backupFiles;
    QString unmountProgress;
    QString keptBackups;
    // Notes the path of a link a mount makes to try its way, until that link is gone again.
    QString linkProbe;
    // A mount places hard links and makes folders, instead of symbolic links.
    bool hardLinks = false;

    static WorkerPaths of(const ConfigStore &config);
};
