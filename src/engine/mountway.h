#pragma once

#include <QMetaType>

// How a mount places the mod's entries in the game folder.
enum class MountWay { SymbolicLinks, HardLinks };

// Why a mount stopped before it changed anything: the way it was to take cannot work between
// the mods folder and the game folder.
enum class LinkRefusal {
    None,
    SymbolicLinks, // the system refuses symbolic links here; hard links might do
    HardLinks,     // hard links cannot reach the game folder (another drive, a file system without
                   // them)
};

Q_DECLARE_METATYPE(MountWay)
Q_DECLARE_METATYPE(LinkRefusal)
