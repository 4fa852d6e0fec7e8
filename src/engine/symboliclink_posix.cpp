#include "symboliclink.h"

#include <unistd.h>

namespace SymbolicLink
{

bool create(const NativePath &link, const NativePath &target, bool /*directory*/)
{
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool remove(const NativePath &link)
{
    return ::unlink(link.c_str()) == 0;
}

} // namespace SymbolicLink
