#include "hardlink.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace HardLink
{

Creation create(const NativePath &link, const NativePath &existing)
{
    if (::link(existing.c_str(), link.c_str()) == 0)
        return Creation::Created;
    switch (errno) {
    case EEXIST:
        return Creation::TargetTaken;
    case EXDEV:
        return Creation::OtherDevice;
    case EPERM: // what a file system without hard links answers, FAT among them
    case EOPNOTSUPP:
        return Creation::NotSupported;
    default:
        return Creation::Failed;
    }
}

Identity identityOf(const NativePath &path)
{
    struct stat info;
    Identity identity;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return identity;
    identity.volume = std::uint64_t(info.st_dev);
    identity.file = std::uint64_t(info.st_ino);
    identity.known = true;
    return identity;
}

Look lookAt(const NativePath &path)
{
    struct stat info;
    Look look;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return look;
    look.kind = EntryCalls::kindOfMode(info.st_mode);
    if (look.kind == EntryCalls::Kind::File)
        look.identity = {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), true};
    return look;
}

bool remove(const NativePath &link)
{
    return ::unlink(link.c_str()) == 0;
}

} // namespace HardLink
