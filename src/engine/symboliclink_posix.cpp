#include "symboliclink.h"

#include <cerrno>

#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

namespace SymbolicLink
{

namespace
{

bool holdsNoLinks(const NativePath &link)
{
#ifdef __linux__
    const long fatMagic = 0x4d44;
    const long exfatMagic = 0x2011bab0;
    struct statfs info;
    const std::string folder = std::filesystem::path(link).parent_path().string();
    return ::statfs(folder.empty() ? "." : folder.c_str(), &info) == 0 &&
           (long(info.f_type) == fatMagic || long(info.f_type) == exfatMagic);
#else
    (void)link;
    return false;
#endif
}

} // namespace

Creation create(const NativePath &link, const NativePath &target, bool /*directory*/)
{
    if (::symlink(target.c_str(), link.c_str()) == 0)
        return Creation::Created;
    // EPERM also comes from a folder made immutable; only a file system that holds no links at
    // all refuses every further one.
    return errno == EPERM && holdsNoLinks(link) ? Creation::Refused : Creation::Failed;
}

const char *refusalText()
{
    return "The game folder's file system cannot hold symbolic links.";
}

bool remove(const NativePath &link)
{
    return ::unlink(link.c_str()) == 0;
}

} // namespace SymbolicLink
