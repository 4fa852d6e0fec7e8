// Entry calls on Windows. Built only on Windows; plain standard types and the Win32 API.
#include "entrycalls.h"

#include <windows.h>

#include <system_error>

namespace EntryCalls
{

Kind kindOf(const NativePath &path)
{
    if (path.empty())
        return Kind::None;
    std::error_code error;
    switch (std::filesystem::symlink_status(std::filesystem::path(path), error).type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::none:
        return Kind::None;
    case std::filesystem::file_type::regular:
        return Kind::File;
    case std::filesystem::file_type::directory:
        return Kind::Folder;
    case std::filesystem::file_type::symlink:
        return Kind::Link;
    default:
        return Kind::Other; // a junction too: a redirect, never taken for one of our links
    }
}

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

namespace
{

// Called by the system after each block it copied.
DWORD CALLBACK copyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                            DWORD, HANDLE, HANDLE, LPVOID aborted)
{
    return *static_cast<const std::atomic<bool> *>(aborted) ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

} // namespace

Copy copyFile(const NativePath &from, const NativePath &to, const std::atomic<bool> &aborted)
{
    // Asked first as well: Wine calls no progress routine.
    if (aborted)
        return Copy::Aborted;
    // The flag is no BOOL the system could poll itself; the progress routine asks it instead.
    // A cancelled copy removes what it had written.
    if (CopyFileExW(from.c_str(), to.c_str(), copyProgress,
                    const_cast<std::atomic<bool> *>(&aborted), nullptr, COPY_FILE_FAIL_IF_EXISTS))
        return Copy::Done;
    switch (GetLastError()) {
    case ERROR_REQUEST_ABORTED:
        return Copy::Aborted;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Copy::TargetTaken;
    case ERROR_PATH_NOT_FOUND:
        // The source's own folder missing says the same; only the target's is ours to make.
        return GetFileAttributesW(from.c_str()) != INVALID_FILE_ATTRIBUTES ? Copy::FolderMissing
                                                                           : Copy::Failed;
    default:
        // A copy that failed part way leaves nothing behind.
        return Copy::Failed;
    }
}

MakeFolder makeFolder(const NativePath &folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return MakeFolder::Done;
    return GetLastError() == ERROR_ALREADY_EXISTS ? MakeFolder::TargetTaken : MakeFolder::Failed;
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

void setHidden(const NativePath &folder, bool hidden)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(folder.c_str(), hidden ? attributes | FILE_ATTRIBUTE_HIDDEN
                                                  : attributes & ~DWORD(FILE_ATTRIBUTE_HIDDEN));
}

} // namespace EntryCalls
