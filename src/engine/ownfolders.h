#pragma once

#include <QString>
#include <QStringList>

struct WorkerPaths;

// The program's own folder (its settings and records) and its mods folder, where they lie inside
// the game folder, as they do in a copy unpacked there. Nothing a mount, a repair or an unmount
// does may reach into them, whatever a mod or a record line holds: a link placed over config.cfg
// would have the next save write into the mod.
class OwnFolders
{
public:
    // Each of `folders` that really lies inside `gameFolder` (links resolved) is kept as the path
    // below the game folder as it is typed, the form every path of the mount has.
    OwnFolders(const QString &gameFolder, const QStringList &folders);
    static OwnFolders of(const WorkerPaths &paths);

    // `path` is one of them or lies inside one. Names are compared as the game compares them,
    // regardless of case, and a slash too many changes nothing.
    bool holds(const QString &path) const;

private:
    QStringList inside; // clean, case-folded
};
