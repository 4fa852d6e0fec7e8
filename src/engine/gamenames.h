#pragma once

#include "fileentry.h"

#include <QHash>
#include <QSet>
#include <QString>

// Names as the game sees them: Windows, and Wine for a Linux player, match file names
// regardless of case, so a mod's "units/unitdata.slk" is the game's "Units/UnitData.slk". Where
// the file system tells case apart, each game folder an operation visits is listed once, and the
// listing kept up to date with what the operation adds; on Windows the system itself matches.
class GameNames
{
public:
    GameNames();

    // `name` as `folder` spells it: the entry there of that name (the same spelling first, then
    // regardless of case), or `name` itself when there is none.
    QString spelling(const QString &folder, const QString &name);
    // Something in `folder` has this name, regardless of case.
    bool taken(const QString &folder, const QString &name);
    // What stands at `name` in `folder`; a name the listing does not hold is not looked up.
    FileEntry::Kind kindOf(const QString &folder, const QString &name);
    // The operation made an entry of this name in `folder`.
    void add(const QString &folder, const QString &name);
    // The operation made this folder: it starts empty, with nothing to list.
    void addMadeFolder(const QString &folder);

private:
    struct Listing {
        QSet<QString> names;
        QHash<QString, QString> byFoldedName; // case-folded -> as spelt in the folder
    };
    Listing &listing(const QString &folder);

    const bool listFolders; // the file system tells case apart
    QHash<QString, Listing> folders;
};
