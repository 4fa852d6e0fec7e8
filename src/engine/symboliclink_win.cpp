// Symbolic links on Windows. Built only on Windows; plain standard types and the Win32 API.
#include "symboliclink.h"

#include <windows.h>

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

namespace SymbolicLink
{

namespace
{

bool linkExists(const NativePath &link)
{
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

Creation create(const NativePath &link, const NativePath &target, bool directory)
{
    const DWORD kind = directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    // With Developer Mode on, this flag lets a user without the link privilege create links.
    BOOL created = CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                       kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    // Systems older than Windows 10 1703 reject the flag itself.
    if (!created && GetLastError() == ERROR_INVALID_PARAMETER)
        created = CreateSymbolicLinkW(link.c_str(), target.c_str(), kind);
    if (!created)
        return GetLastError() == ERROR_PRIVILEGE_NOT_HELD ? Creation::Refused : Creation::Failed;
    // Only a link that is really there counts: some implementations report success without
    // making one, which is a system without links as far as a mount is concerned.
    return linkExists(link) ? Creation::Created : Creation::Refused;
}

const char *refusalText()
{
    return "Creating symbolic links needs Windows Developer Mode or administrator rights.";
}

bool remove(const NativePath &link)
{
    // A directory link goes with the directory-removal call, a file link as a file; where one
    // call does not remove the link, the other is tried.
    const DWORD attributes = GetFileAttributesW(link.c_str());
    const bool looksLikeDirectory =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (looksLikeDirectory)
        return RemoveDirectoryW(link.c_str()) || DeleteFileW(link.c_str());
    return DeleteFileW(link.c_str()) || RemoveDirectoryW(link.c_str());
}

} // namespace SymbolicLink
