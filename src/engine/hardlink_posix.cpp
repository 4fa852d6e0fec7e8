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

namespace
{

// The entry itself, never what a link points to.
bool lookUp(const NativePath &path, struct stat &info)
{
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

Identity identityFrom(const struct stat &info)
{
    return {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), true};
}

} // namespace

Identity identityOf(const NativePath &path)
{
    struct stat info;
    return lookUp(path, info) ? identityFrom(info) : Identity();
}

Look lookAt(const NativePath &path)
{
    struct stat info;
    Look look;
    if (!lookUp(path, info))
        return look;
    look.kind = EntryCalls::kindOfMode(info.st_mode);
    if (look.kind == EntryCalls::Kind::File)
        look.identity = identityFrom(info);
    return look;
}

bool remove(const NativePath &link)
{
    return ::unlink(link.c_str()) == 0;
}

} // namespace HardLink
