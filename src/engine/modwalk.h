#pragma once

#include "fileentry.h"
#include "fileoutcome.h"
#include "mountway.h"
#include "ownfolders.h"

#include <QFileInfo>
#include <QSet>
#include <QString>

#include <atomic>

class GameNames;

// Walks a mod as a mount places it, so that whoever looks at a mount sees it by the same rules:
// each entry goes to the same place in the game folder under the game's own spelling, a real
// game folder is walked into so that the mod's entries are placed one by one inside it (for a
// hard-link mount, also one the visitor makes where the game has no folder), hidden
// entries are never placed, and neither is an entry whose path no record line can hold, one
// the game sees under the same name as an entry placed before it, or one at or inside the
// program's own folders. What happens to each entry is
// up to the visitor: a mount places it, a check compares.
class ModWalk
{
public:
    struct Entry {
        QFileInfo source;
        QString relative; // below the mod's folder
        QString target;   // its place in the game folder
    };
    enum class Refusal { Unrecordable, SameNameAsPlaced, OwnFolder };

    class Visitor
    {
    public:
        virtual ~Visitor() = default;
        // Every entry the walk does not pass by, before anything else is done with it.
        virtual void reached(const Entry &entry) = 0;
        // An entry that goes to `entry.target`, where the game has no real folder. Done when
        // it is placed there.
        virtual FileOutcome place(const Entry &entry, FileEntry::Kind targetKind) = 0;
        // An entry a mount never places; it counts as failed.
        virtual void refuse(const Entry &entry, Refusal why) = 0;
        // A real folder of the mod at `entry.target`, where the game has no real folder, in a
        // walk that makes folders. Done when a folder now stands there for the walk to walk into.
        virtual FileOutcome makeFolder(const Entry &entry, FileEntry::Kind targetKind)
        {
            return place(entry, targetKind);
        }
    };

    // `gameNames` spells the game's folders, and learns what the visitor placed in them. A walk
    // for hard links has the visitor make the mod's folders and walks into them.
    ModWalk(const QString &modFolder, GameNames &gameNames, OwnFolders ownFolders, Visitor &visitor,
            const std::atomic<bool> &aborted, MountWay way = MountWay::SymbolicLinks);

    // `folder` is the mod's folder, or one inside it; `gameFolder` its place in the game.
    OutcomeCounts walk(const QString &folder, const QString &gameFolder);
    // A place in the game that is taken care of already (a link on record), which the walk
    // passes by.
    void passBy(const QString &target) { alreadyPlaced.insert(target.toCaseFolded()); }

private:
    const QString modRoot; // the mod's folder and a slash
    GameNames &names;
    const OwnFolders own;
    Visitor &visitor;
    const std::atomic<bool> &aborted;
    const bool makesFolders;
    // Case-folded, as the game compares names.
    QSet<QString> alreadyPlaced;
    QSet<QString> placedNow; // by this walk
};
