#pragma once

// Creating and removing hard links, and telling whether two names are one file: the calls a
// hard-link mount needs from the platform. Plain standard types only, so that the Windows file
// compiles and can be checked on its own.

#include "entrycalls.h"

#include <cstdint>

namespace HardLink
{

using EntryCalls::NativePath;

enum class Creation {
    Created,
    OtherDevice,  // the two names would lie on different drives
    NotSupported, // the file system holds no hard links (FAT, exFAT)
    TargetTaken,  // something stands at the link's name already; it was left alone
    Failed,
};

// Makes `link` a second name of the file `existing`.
Creation create(const NativePath &link, const NativePath &existing);

// Which file a name leads to: the same for every name of one file. Read through one path and
// compared only with identities read through the same kind of path: under Wine the volume
// follows the drive letter.
struct Identity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool known = false;
};

// The identity of the entry at `path` itself (a symbolic link is not followed); unknown when
// nothing can be read there.
Identity identityOf(const NativePath &path);

// Both are known and name the same file.
inline bool sameFile(const Identity &a, const Identity &b)
{
    return a.known && b.known && a.volume == b.volume && a.file == b.file;
}

// What stands at a path (a symbolic link is not followed) and, for a file, its identity.
struct Look {
    EntryCalls::Kind kind = EntryCalls::Kind::None;
    Identity identity;
};

// One look where the system gives both at once: an unmount reads this for every file.
Look lookAt(const NativePath &path);

// Removes this one name of the file; its other names and its content stay.
bool remove(const NativePath &link);

} // namespace HardLink
