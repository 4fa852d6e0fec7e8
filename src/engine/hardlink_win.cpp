// Hard links on Windows. Built only on Windows; plain standard types and the Win32 API.
#include "hardlink.h"

#include <windows.h>

namespace HardLink
{

Creation create(const NativePath &link, const NativePath &existing)
{
    if (CreateHardLinkW(link.c_str(), existing.c_str(), nullptr))
        return Creation::Created;
    switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return Creation::TargetTaken;
    case ERROR_NOT_SAME_DEVICE:
        return Creation::OtherDevice;
    case ERROR_INVALID_FUNCTION: // FAT32 and exFAT
    case ERROR_NOT_SUPPORTED:
        return Creation::NotSupported;
    default:
        return Creation::Failed;
    }
}

Identity identityOf(const NativePath &path)
{
    Identity identity;
    // No access beyond the attributes, shared with everyone; the entry itself, also a folder
    // or a link.
    const HANDLE entry = CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (entry == INVALID_HANDLE_VALUE)
        return identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(entry, &information)) {
        identity.volume = information.dwVolumeSerialNumber;
        identity.file = (std::uint64_t(information.nFileIndexHigh) << 32) |
                        std::uint64_t(information.nFileIndexLow);
        identity.known = true;
    }
    CloseHandle(entry);
    return identity;
}

Look lookAt(const NativePath &path)
{
    Look look;
    look.kind = EntryCalls::kindOf(path);
    if (look.kind == EntryCalls::Kind::File)
        look.identity = identityOf(path);
    return look;
}

bool remove(const NativePath &link)
{
    return DeleteFileW(link.c_str()) != 0;
}

} // namespace HardLink
