#pragma once

// Creating and removing symbolic links, the one place where the file operations need the
// platform's own calls (Qt's QFile::link makes shortcuts on Windows, not links).
// Plain standard types only, so that the Windows file compiles and can be checked on its own.

#include "entrycalls.h"

namespace SymbolicLink
{

using EntryCalls::NativePath;

enum class Creation {
    Created,
    Failed,
    Refused // this process may not make links here at all: trying further ones is pointless
};

// Makes `link` point to `target`; a directory link when `directory` is set. Created only when
// the link now exists.
Creation create(const NativePath &link, const NativePath &target, bool directory);

// Why links are Refused, as the first failure line of a mount.
const char *refusalText();

// Removes the link itself, never what it points to. Works for links whose target is gone.
bool remove(const NativePath &link);

} // namespace SymbolicLink
