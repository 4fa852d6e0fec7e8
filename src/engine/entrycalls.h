#pragma once

// The entry calls the file operations need in one system call, with the outcome told apart,
// where Qt and the standard library need several or tell only success: renaming without ever
// replacing what is in the way, and making and removing a folder. Plain standard types only, so
// that the Windows file compiles and can be checked on its own.

#include <atomic>
#include <filesystem>

namespace EntryCalls
{

// UTF-16 on Windows, the local 8-bit encoding elsewhere.
using NativePath = std::filesystem::path::string_type;

enum class Kind { None, File, Folder, Link, Other };

// What stands at the path itself, in one look: a link is a Link, wherever it points and
// whether or not its target is there.
Kind kindOf(const NativePath &path);
#ifndef _WIN32
// The kind a POSIX `st_mode` of lstat tells.
Kind kindOfMode(unsigned mode);
#endif

enum class Rename {
    Done,
    TargetTaken, // something is at `to`; nothing was changed
    NotFound,    // `from`, or the folder of `to`, is not there
    OtherDevice, // `to` is on another drive: a rename cannot get it there
    Failed,
};

// Renames a file, a folder or a link itself (also one whose target is gone) and never replaces
// an entry at `to`: in one call where the platform has one, so that nothing can appear at the
// target between a look and the rename.
Rename renameWithoutReplacing(const NativePath &from, const NativePath &to);

enum class Copy {
    Done,
    TargetTaken,   // something is at `to`; it was left alone
    FolderMissing, // the folder of `to` is not there
    Aborted,       // `aborted` was set before the copy ended; nothing is left at `to`
    Failed,        // also a missing source; nothing is left at `to`
};

// Copies a file's content (following a link) to a new file `to`, never replacing one. No sync
// to disk: a mod of many files would crawl. `aborted` is looked at between blocks, so that a
// file of gigabytes does not hold up an abort.
Copy copyFile(const NativePath &from, const NativePath &to, const std::atomic<bool> &aborted);

enum class MakeFolder {
    Done,
    TargetTaken, // something stands at the path; it was left alone
    Failed,      // also a missing parent folder
};

// Makes one folder; never its parents.
MakeFolder makeFolder(const NativePath &folder);

enum class RemoveFolder { Done, NotEmpty, NotFound, Failed };

// Removes an empty folder (never a link to one).
RemoveFolder removeFolder(const NativePath &folder);

// Keeps a folder out of listings that skip hidden entries, or lets it back in: on Windows by its
// hidden attribute; elsewhere a name starting with "." already does that.
void setHidden(const NativePath &folder, bool hidden);

} // namespace EntryCalls
