#include "entrycalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace EntryCalls
{

namespace
{

Rename renameOutcome(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return Rename::TargetTaken;
    case ENOENT:
        return Rename::NotFound;
    case EXDEV:
        return Rename::OtherDevice;
    default:
        return Rename::Failed;
    }
}

} // namespace

Rename renameWithoutReplacing(const NativePath &from, const NativePath &to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Rename::Done;
    // File systems without the flag answer EINVAL: there, look first as elsewhere.
    if (errno != EINVAL && errno != ENOSYS)
        return renameOutcome(errno);
#endif
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0)
        return Rename::TargetTaken;
    if (errno != ENOENT)
        return Rename::Failed;
    return ::rename(from.c_str(), to.c_str()) == 0 ? Rename::Done : renameOutcome(errno);
}

RemoveFolder removeFolder(const NativePath &folder)
{
    if (::rmdir(folder.c_str()) == 0)
        return RemoveFolder::Done;
    switch (errno) {
    case ENOTEMPTY:
    case EEXIST:
        return RemoveFolder::NotEmpty;
    case ENOENT:
        return RemoveFolder::NotFound;
    default:
        return RemoveFolder::Failed;
    }
}

} // namespace EntryCalls
