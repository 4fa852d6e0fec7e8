// Entry calls on Windows. Built only on Windows; plain standard types and the Win32 API.
#include "entrycalls.h"

#include <windows.h>

namespace EntryCalls
{

Rename renameWithoutReplacing(const NativePath &from, const NativePath &to)
{
    // Without MOVEFILE_REPLACE_EXISTING the call refuses an occupied target, and it renames a
    // link itself, not what it points to.
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return Rename::Done;
    switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return Rename::TargetTaken;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Rename::NotFound;
    case ERROR_NOT_SAME_DEVICE:
        return Rename::OtherDevice;
    default:
        return Rename::Failed;
    }
}

RemoveFolder removeFolder(const NativePath &folder)
{
    // A directory link is a reparse point: it is removed as a link elsewhere, never here.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveFolder::Failed;
    if (RemoveDirectoryW(folder.c_str()))
        return RemoveFolder::Done;
    switch (GetLastError()) {
    case ERROR_DIR_NOT_EMPTY:
        return RemoveFolder::NotEmpty;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return RemoveFolder::NotFound;
    default:
        return RemoveFolder::Failed;
    }
}

} // namespace EntryCalls
