#pragma once

#include "ownfolders.h"

#include <QSet>
#include <QString>

// Tells which lines of the mount records an unmount may act on: only paths that a mount of this
// program can have written. A mount records the game folder + "/" + a path inside the mod, and it
// never descends into a link, so a trustworthy line is an absolute path below the game folder,
// without "." or ".." components, that passes through no symbolic link below the game folder
// (its last component may be one), and that does not reach into the program's own folders
// (a mount never places anything there). Anything else could make the unmount delete or move
// entries outside the game folder, or the program's own files.
class RecordedPathCheck
{
public:
    RecordedPathCheck(const QString &gameFolder, OwnFolders ownFolders);

    bool accepts(const QString &path);

    // The same folder as far as the records go: a game folder typed with a trailing or a doubled
    // "/" still names the folder whose paths are on record.
    static bool sameFolder(const QString &a, const QString &b);

private:
    static bool hasDoubleSlash(const QString &path);
    static QString withSingleSlashes(const QString &path);
    static QString folderForm(const QString &path);
    static bool isPlainComponent(const QStringRef &component);
    bool isRealFolder(const QString &folder);

    const OwnFolders own;
    QString prefix; // the game folder in folder form, ending in "/"; empty when there is none
    // Folders below the game folder already found to be real folders, not links: most lines of
    // a record share them.
    QSet<QString> realFolders;
    // Folders whose whole path below the game folder has passed every test.
    QSet<QString> acceptedFolders;
};
