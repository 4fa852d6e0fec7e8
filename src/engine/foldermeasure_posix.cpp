#include "foldermeasure.h"

#include "fileentry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FolderMeasure
{

namespace
{

bool isDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class Walk
{
public:
    explicit Walk(const std::atomic<bool> &stopFlag) : stop(stopFlag) {}

    // Reads the folder open at `folder` and closes it. One descriptor stays open per level
    // below: far fewer than the process may hold for any tree a mod brings.
    void through(int folder)
    {
        DIR *listing = ::fdopendir(folder);
        if (!listing) {
            ::close(folder);
            return;
        }
        while (!stop) {
            const dirent *entry = ::readdir(listing);
            if (!entry)
                break;
            if (!isDot(entry->d_name))
                take(folder, entry);
        }
        ::closedir(listing);
    }

    Totals totals;

private:
    // Most file systems tell the kind in the listing: only a file's size needs a look then.
    void take(int folder, const dirent *entry)
    {
        if (entry->d_type == DT_DIR) {
            descend(folder, entry->d_name);
            return;
        }
        ++totals.files;
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)
            return; // a link, a device, a pipe: no bytes of the mod's own
        struct stat info;
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return; // gone meanwhile: it was listed, so it counts, without a size
        if (S_ISDIR(info.st_mode)) {
            --totals.files;
            descend(folder, entry->d_name);
        } else if (S_ISREG(info.st_mode)) {
            totals.bytes += info.st_size;
        }
    }

    void descend(int folder, const char *name)
    {
        // O_NOFOLLOW: a folder replaced by a link since the listing is not walked into.
        const int inner = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (inner >= 0)
            through(inner);
    }

    const std::atomic<bool> &stop;
};

} // namespace

Totals of(const QString &folder, const std::atomic<bool> &stop)
{
    Walk walk(stop);
    // The folder itself may be a link, as a mod in the list may be: that one is followed.
    const int opened =
        ::open(FileEntry::nativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened >= 0)
        walk.through(opened);
    return walk.totals;
}

} // namespace FolderMeasure
