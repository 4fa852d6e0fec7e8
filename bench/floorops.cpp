#include "floorops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <unordered_map>
#include <vector>

namespace bench::floorops
{

namespace
{

bool writeLine(int fd, const std::string &line)
{
    const std::string bytes = line + '\n';
    return ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

bool isDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool isFolder(const dirent *entry, const std::string &path)
{
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type == DT_DIR;
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string folded(const char *name)
{
    std::string text(name);
    for (char &c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The names in a game folder by their case-folded form: the game matches names regardless of
// case, so the mount uses the game's spelling. One listing per folder the mount visits.
std::unordered_map<std::string, std::string> listByFoldedName(const std::string &folder)
{
    std::unordered_map<std::string, std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir))
            if (!isDot(entry->d_name))
                names.emplace(folded(entry->d_name), entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// The record of placed entries. A hard link's identity, read right after the link is made, goes
// out with the next line, as the records of a hard-link mount hold it.
struct OutRecord {
    int fd;
    std::string identity;
};

// With `hard`, a record line starts with 'F' for a hard link, 'I' for its identity and 'D' for a
// folder made.
void mountFolder(const std::string &modFolder, const std::string &gameFolder, OutRecord &out,
                 int backupFd, MountCounts &counts, bool hard = false)
{
    DIR *dir = ::opendir(modFolder.c_str());
    if (!dir) {
        ++counts.failed;
        return;
    }
    std::unordered_map<std::string, std::string> gameNames = listByFoldedName(gameFolder);
    while (const dirent *entry = ::readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        const std::string source = modFolder + '/' + entry->d_name;
        const auto spelt = gameNames.find(folded(entry->d_name));
        const std::string name = spelt == gameNames.end() ? entry->d_name : spelt->second;
        const std::string target = gameFolder + '/' + name;
        struct stat info;
        const bool taken = spelt != gameNames.end() && ::lstat(target.c_str(), &info) == 0;
        if (taken && S_ISDIR(info.st_mode)) {
            mountFolder(source, target, out, backupFd, counts, hard);
            continue;
        }
        const bool makesFolder = hard && isFolder(entry, source);
        if (taken) {
            std::string backup = name + ".oxdbackup";
            for (int n = 2; gameNames.count(folded(backup.c_str())) > 0; ++n)
                backup = name + ".oxdbackup" + std::to_string(n);
            const std::string backupPath = gameFolder + '/' + backup;
            if (!writeLine(backupFd, backupPath) ||
                ::rename(target.c_str(), backupPath.c_str()) != 0) {
                ++counts.failed;
                continue;
            }
            gameNames.emplace(folded(backup.c_str()), backup);
            ++counts.backups;
        }
        const std::string line = hard ? (makesFolder ? 'D' : 'F') + target : target;
        const bool written = writeLine(out.fd, out.identity + line);
        out.identity.clear();
        if (!written || (makesFolder ? ::mkdir(target.c_str(), 0777)
                         : hard      ? ::link(source.c_str(), target.c_str())
                                     : ::symlink(source.c_str(), target.c_str())) != 0) {
            ++counts.failed;
            continue;
        }
        if (hard && !makesFolder && ::lstat(target.c_str(), &info) == 0)
            out.identity = 'I' + std::to_string(info.st_dev) + ':' + std::to_string(info.st_ino) +
                           '\t' + target + '\n';
        gameNames.emplace(folded(name.c_str()), name);
        ++counts.links;
        if (makesFolder)
            mountFolder(source, target, out, backupFd, counts, hard);
    }
    ::closedir(dir);
}

std::vector<std::string> readLines(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, size_t(got));
        ::close(fd);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return lines;
}

void scanFolder(const std::string &folder, long &files, long long &bytes)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        const std::string path = folder + '/' + entry->d_name;
        if (isFolder(entry, path)) {
            scanFolder(path, files, bytes);
            continue;
        }
        struct stat info;
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ++files;
            bytes += info.st_size;
        }
    }
    ::closedir(dir);
}

bool copyFile(const std::string &source, const std::string &target)
{
    const int in = ::open(source.c_str(), O_RDONLY);
    if (in < 0)
        return false;
    struct stat info;
    bool copied = ::fstat(in, &info) == 0;
    const int out =
        copied ? ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, info.st_mode & 07777) : -1;
    copied = out >= 0;
    static char buffer[65536];
    ssize_t got;
    while (copied && (got = ::read(in, buffer, sizeof buffer)) > 0)
        copied = ::write(out, buffer, size_t(got)) == got;
    if (out >= 0)
        copied = ::close(out) == 0 && copied;
    ::close(in);
    return copied;
}

} // namespace

namespace
{

MountCounts mountWith(const std::string &modFolder, const std::string &gameFolder,
                      const std::string &outPath, const std::string &backupPath, bool hard)
{
    MountCounts counts;
    const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int backupFd = ::open(backupPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    OutRecord out{outFd, {}};
    if (outFd >= 0 && backupFd >= 0)
        mountFolder(modFolder, gameFolder, out, backupFd, counts, hard);
    else
        ++counts.failed;
    if (!out.identity.empty() && ::write(outFd, out.identity.data(), out.identity.size()) < 0)
        ++counts.failed;
    if (outFd >= 0)
        ::close(outFd);
    if (backupFd >= 0)
        ::close(backupFd);
    return counts;
}

void restoreBackups(const std::string &backupPath, UnmountCounts &counts)
{
    struct stat info;
    for (const std::string &backup : readLines(backupPath)) {
        const size_t at = backup.rfind(".oxdbackup");
        const std::string target = at == std::string::npos ? std::string() : backup.substr(0, at);
        if (!target.empty() && ::lstat(target.c_str(), &info) != 0 &&
            ::rename(backup.c_str(), target.c_str()) == 0)
            ++counts.restored;
        else
            ++counts.failed;
    }
}

} // namespace

MountCounts mount(const std::string &modFolder, const std::string &gameFolder,
                  const std::string &outPath, const std::string &backupPath)
{
    return mountWith(modFolder, gameFolder, outPath, backupPath, false);
}

MountCounts hardLinkMount(const std::string &modFolder, const std::string &gameFolder,
                          const std::string &outPath, const std::string &backupPath)
{
    return mountWith(modFolder, gameFolder, outPath, backupPath, true);
}

UnmountCounts unmount(const std::string &outPath, const std::string &backupPath)
{
    UnmountCounts counts;
    struct stat info;
    for (const std::string &link : readLines(outPath)) {
        // Only links go: a real file at a recorded path is the user's.
        if (::lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
            ::unlink(link.c_str()) == 0)
            ++counts.removed;
        else
            ++counts.failed;
    }
    restoreBackups(backupPath, counts);
    ::truncate(outPath.c_str(), 0);
    ::truncate(backupPath.c_str(), 0);
    return counts;
}

UnmountCounts hardLinkUnmount(const std::string &outPath, const std::string &backupPath)
{
    UnmountCounts counts;
    struct stat info;
    std::vector<std::string> folders;
    for (const std::string &line : readLines(outPath)) {
        const std::string path = line.substr(1);
        if (line[0] == 'I')
            continue;
        if (line[0] == 'D')
            folders.push_back(path);
        else if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                 ::unlink(path.c_str()) == 0)
            ++counts.removed;
        else
            ++counts.failed;
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        if (::rmdir(folder->c_str()) == 0)
            ++counts.removed;
        else
            ++counts.failed;
    }
    restoreBackups(backupPath, counts);
    ::truncate(outPath.c_str(), 0);
    ::truncate(backupPath.c_str(), 0);
    return counts;
}

long scan(const std::string &folder, long long &bytes)
{
    long files = 0;
    bytes = 0;
    scanFolder(folder, files, bytes);
    return files;
}

long removeTree(const std::string &folder)
{
    long removed = 0;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        const std::string path = folder + '/' + entry->d_name;
        if (isFolder(entry, path))
            removed += removeTree(path);
        else if (::unlink(path.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    ::rmdir(folder.c_str());
    return removed;
}

long transferTree(const std::string &source, const std::string &target, bool move)
{
    long done = 0;
    if (::mkdir(target.c_str(), 0755) != 0 && errno != EEXIST)
        return 0;
    DIR *dir = ::opendir(source.c_str());
    if (!dir)
        return 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        const std::string from = source + '/' + entry->d_name;
        const std::string to = target + '/' + entry->d_name;
        struct stat info;
        if (isFolder(entry, from))
            done += transferTree(from, to, move);
        else if (move ? ::lstat(to.c_str(), &info) != 0 && ::rename(from.c_str(), to.c_str()) == 0
                      : copyFile(from, to))
            ++done;
    }
    ::closedir(dir);
    if (move)
        ::rmdir(source.c_str());
    return done;
}

} // namespace bench::floorops
