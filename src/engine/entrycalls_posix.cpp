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

Kind kindOf(const NativePath &path)
{
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return Kind::None;
    return kindOfMode(info.st_mode);
}

Kind kindOfMode(unsigned mode)
{
    if (S_ISLNK(mode))
        return Kind::Link;
    if (S_ISDIR(mode))
        return Kind::Folder;
    return S_ISREG(mode) ? Kind::File : Kind::Other;
}

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

namespace
{

Copy copyContent(int in, int out, const std::atomic<bool> &aborted)
{
    char buffer[65536];
    for (;;) {
        if (aborted)
            return Copy::Aborted;
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            return Copy::Done;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Copy::Failed;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                return Copy::Failed;
            if (put > 0)
                done += put;
        }
    }
}

} // namespace

Copy copyFile(const NativePath &from, const NativePath &to, const std::atomic<bool> &aborted)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Copy::Failed;
    struct stat info;
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return Copy::Failed;
    }
    // O_EXCL: the new file is ours, or the call says the name is taken.
    const int out =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        if (error == EEXIST)
            return Copy::TargetTaken;
        return error == ENOENT ? Copy::FolderMissing : Copy::Failed;
    }
    const Copy copied = copyContent(in, out, aborted);
    const bool closed = ::close(out) == 0;
    ::close(in);
    if (copied == Copy::Done && closed)
        return Copy::Done;
    // Whatever a failed or stopped copy left (a full disk) is ours, and goes.
    ::unlink(to.c_str());
    return copied == Copy::Done ? Copy::Failed : copied;
}

MakeFolder makeFolder(const NativePath &folder)
{
    if (::mkdir(folder.c_str(), 0777) == 0)
        return MakeFolder::Done;
    return errno == EEXIST ? MakeFolder::TargetTaken : MakeFolder::Failed;
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

void setHidden(const NativePath &, bool)
{
    // The name tells: a staging folder's starts with ".", a mod's never does.
}

} // namespace EntryCalls
