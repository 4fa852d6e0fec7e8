// Times the Worker's file operations on synthetic mods of 1 000 to 100 000 files, next to the
// bare system calls that do the same work (the floor), GNU Stow and du. Prints figures only;
// nothing here passes or fails on timing.
//
// Every tree of every run is written before the first measurement, the operations that remove
// entries (move-add, unmount, delete) run after all those that only create, and the trees are
// removed only after the last measurement: on ext4, creating entries shortly after many were
// deleted can cost many times more, which would make whatever runs after a deletion look slow.

#include "configstore.h"
#include "worker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::fputs("bench_worker: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::exit(2);
}

void progress(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

QString q(const std::string &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

// ---------------------------------------------------------------------------------------------
// The synthetic mod and game

// A fixed hash instead of a random generator, so that every copy and every run of a size
// has exactly the same shape.
uint32_t mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

double unitOf(uint32_t x)
{
    return mix(x) / 4294967296.0;
}

struct ModFile {
    std::string relative;
    uint32_t size;
    bool conflict; // the game has a file of this name: the mount sets it aside first
};

struct Shape {
    size_t fileCount = 0;
    std::vector<std::string> modFolders;  // parents before children
    std::vector<std::string> gameFolders; // the mod folders the game has too
    std::vector<ModFile> modFiles;
    std::vector<std::string> gameOnlyFiles;
    size_t expectedLinks = 0;
    size_t expectedBackups = 0;
    size_t foldedFolders = 0;
    size_t gameFileCount(bool withConflicts) const
    {
        return gameOnlyFiles.size() + (withConflicts ? expectedBackups : 0);
    }
};

// Eight top folders the game has as well (so the mount descends), each with groups of sets of
// files: half the groups and about a fifth of the sets under the game's groups exist in the
// game, the rest are folded into one link each. Files sit 2 to 4 levels deep, about 20 to a
// set; 5 % of all files are in the game too. At 100 000 files this makes about 14 000 links
// and 5 000 backups.
Shape makeShape(size_t fileCount)
{
    static const char *const tops[] = {"art",    "audio",   "data",     "maps",
                                       "models", "scripts", "textures", "ui"};
    const double unitsPerTop = double(fileCount) / 160.0;
    const long groups = std::max(1L, std::lround(std::sqrt(unitsPerTop)));
    const long sets = std::max(1L, std::lround(unitsPerTop / double(groups)));

    struct Folder {
        std::string path;
        bool inGame;
        bool parentInGame;
        double weight;
    };
    std::vector<Folder> folders;
    uint32_t draw = 17;
    char name[32];
    for (const char *top : tops) {
        folders.push_back({top, true, true, 0.5});
        for (long g = 0; g < groups; ++g) {
            std::snprintf(name, sizeof name, "/group%02ld", g);
            const std::string group = std::string(top) + name;
            const bool groupInGame = g % 2 == 0;
            folders.push_back({group, groupInGame, true, 0.5});
            for (long s = 0; s < sets; ++s) {
                std::snprintf(name, sizeof name, "/set%02ld", s);
                const bool setInGame = groupInGame && unitOf(draw++) < 0.19;
                folders.push_back({group + name, setInGame, groupInGame, 1.0});
            }
        }
    }

    double totalWeight = 0;
    for (size_t i = 0; i < folders.size(); ++i) {
        folders[i].weight *= 0.5 + unitOf(uint32_t(i) + 1000003U);
        totalWeight += folders[i].weight;
    }

    Shape shape;
    shape.fileCount = fileCount;
    double cumulative = 0;
    size_t assigned = 0;
    std::vector<size_t> inGameFolderFiles; // indices into modFiles
    for (size_t i = 0; i < folders.size(); ++i) {
        const Folder &folder = folders[i];
        shape.modFolders.push_back(folder.path);
        if (folder.inGame)
            shape.gameFolders.push_back(folder.path);
        else if (folder.parentInGame)
            ++shape.foldedFolders;
        cumulative += folder.weight;
        const size_t upTo =
            i + 1 == folders.size()
                ? fileCount
                : size_t(std::llround(cumulative / totalWeight * double(fileCount)));
        for (size_t k = 0; assigned < upTo; ++k, ++assigned) {
            std::snprintf(name, sizeof name, "/f%04zu.dat", k);
            if (folder.inGame)
                inGameFolderFiles.push_back(shape.modFiles.size());
            shape.modFiles.push_back(
                {folder.path + name, 1 + mix(uint32_t(assigned) * 7U + 3U) % 2048U, false});
        }
        if (folder.inGame) {
            for (int k = 0; k < 4; ++k) {
                std::snprintf(name, sizeof name, "/base_%d.bin", k);
                shape.gameOnlyFiles.push_back(folder.path + name);
            }
        }
    }
    shape.gameOnlyFiles.push_back("game.bin");
    shape.gameOnlyFiles.push_back("game.cfg");
    shape.gameOnlyFiles.push_back("launcher.bin");

    // Spread the conflicts evenly over the files whose folder the game has.
    const size_t candidates = inGameFolderFiles.size();
    const size_t wanted = std::min(candidates, size_t(std::llround(double(fileCount) * 0.05)));
    for (size_t k = 0; k < candidates && wanted > 0; ++k) {
        if ((k + 1) * wanted / candidates > k * wanted / candidates) {
            shape.modFiles[inGameFolderFiles[k]].conflict = true;
            ++shape.expectedBackups;
        }
    }
    shape.expectedLinks = candidates + shape.foldedFolders;
    return shape;
}

void makeFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        fail("cannot create folder %s: %s", path.c_str(), std::strerror(errno));
}

void makeFolders(const std::string &path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        fail("cannot create folder %s: %s", path.c_str(), error.message().c_str());
}

void writeFile(const std::string &path, size_t size)
{
    static const std::string content = [] {
        std::string text(4096, ' ');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = char('a' + mix(uint32_t(i)) % 26U);
        return text;
    }();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, content.data(), size) != ssize_t(size))
        fail("cannot write %s: %s", path.c_str(), std::strerror(errno));
    ::close(fd);
}

void writeModTree(const Shape &shape, const std::string &root)
{
    makeFolders(root);
    for (const std::string &folder : shape.modFolders)
        makeFolder(root + '/' + folder);
    for (const ModFile &file : shape.modFiles)
        writeFile(root + '/' + file.relative, file.size);
}

// The game folder; for Stow's target without the files the mod replaces, since Stow refuses
// to mount over them.
void writeGameTree(const Shape &shape, const std::string &root, bool withConflicts)
{
    makeFolders(root);
    for (const std::string &folder : shape.gameFolders)
        makeFolder(root + '/' + folder);
    for (const std::string &file : shape.gameOnlyFiles)
        writeFile(root + '/' + file, 100);
    if (withConflicts)
        for (const ModFile &file : shape.modFiles)
            if (file.conflict)
                writeFile(root + '/' + file.relative, 10 + file.size % 100);
}

struct TreeCount {
    long files = 0;
    long folders = 0;
    long links = 0;
    long backups = 0;
    long long bytes = 0;
};

void countTree(const std::string &path, TreeCount &count)
{
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const std::string child = path + '/' + name;
        struct stat info;
        if (::lstat(child.c_str(), &info) != 0)
            continue;
        if (std::strstr(name, ".oxdbackup"))
            ++count.backups;
        if (S_ISLNK(info.st_mode)) {
            ++count.links;
        } else if (S_ISDIR(info.st_mode)) {
            ++count.folders;
            countTree(child, count);
        } else {
            ++count.files;
            count.bytes += info.st_size;
        }
    }
    ::closedir(dir);
}

TreeCount countTree(const std::string &path)
{
    TreeCount count;
    countTree(path, count);
    return count;
}

bool exists(const std::string &path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

long countLines(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    long lines = 0;
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        lines += long(std::count(buffer, buffer + got, '\n'));
    ::close(fd);
    return lines;
}

// Microseconds to create one empty file in a fresh folder. Printed beside the figures, since
// the file system's state (recent mass deletions by anyone on this disk) can slow every
// creation many times over; nothing is removed here.
double probeCreation(const std::string &folder)
{
    makeFolders(folder);
    const int count = 2000;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/p" + std::to_string(i);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    return secondsSince(start) * 1e6 / count;
}

// ---------------------------------------------------------------------------------------------
// The floor: what the operations cost in system calls alone, with the same decisions as the
// Worker and nothing else (no signals, no Qt, no re-checks).

namespace floorops
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

struct MountCounts {
    long links = 0;
    long backups = 0;
    long failed = 0;
};

void mountFolder(const std::string &modFolder, const std::string &gameFolder, int outFd,
                 int backupFd, MountCounts &counts)
{
    DIR *dir = ::opendir(modFolder.c_str());
    if (!dir) {
        ++counts.failed;
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        const std::string source = modFolder + '/' + entry->d_name;
        const std::string target = gameFolder + '/' + entry->d_name;
        struct stat info;
        const bool taken = ::lstat(target.c_str(), &info) == 0;
        if (taken && S_ISDIR(info.st_mode)) {
            mountFolder(source, target, outFd, backupFd, counts);
            continue;
        }
        if (taken) {
            std::string backup = target + ".oxdbackup";
            for (int n = 2; ::lstat(backup.c_str(), &info) == 0; ++n)
                backup = target + ".oxdbackup" + std::to_string(n);
            if (!writeLine(backupFd, backup) || ::rename(target.c_str(), backup.c_str()) != 0) {
                ++counts.failed;
                continue;
            }
            ++counts.backups;
        }
        if (!writeLine(outFd, target) || ::symlink(source.c_str(), target.c_str()) != 0) {
            ++counts.failed;
            continue;
        }
        ++counts.links;
    }
    ::closedir(dir);
}

MountCounts mount(const std::string &modFolder, const std::string &gameFolder,
                  const std::string &outPath, const std::string &backupPath)
{
    MountCounts counts;
    const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int backupFd = ::open(backupPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd >= 0 && backupFd >= 0)
        mountFolder(modFolder, gameFolder, outFd, backupFd, counts);
    else
        ++counts.failed;
    if (outFd >= 0)
        ::close(outFd);
    if (backupFd >= 0)
        ::close(backupFd);
    return counts;
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

struct UnmountCounts {
    long removed = 0;
    long restored = 0;
    long failed = 0;
};

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
    for (const std::string &backup : readLines(backupPath)) {
        const size_t at = backup.rfind(".oxdbackup");
        const std::string target = at == std::string::npos ? std::string() : backup.substr(0, at);
        if (!target.empty() && ::lstat(target.c_str(), &info) != 0 &&
            ::rename(backup.c_str(), target.c_str()) == 0)
            ++counts.restored;
        else
            ++counts.failed;
    }
    ::truncate(outPath.c_str(), 0);
    ::truncate(backupPath.c_str(), 0);
    return counts;
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

// Copies or moves the files of `source` one by one, as adding a folder as a mod does; a move
// removes the source folders it empties.
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

} // namespace floorops

// ---------------------------------------------------------------------------------------------
// Driving the Worker as the program does: on its own thread, its signals queued to an object
// on another thread, which here only counts them.

struct Receiver {
    QObject *context = nullptr;
    std::atomic<long> statusSignals{0};
    std::atomic<long> actionSignals{0};
    std::atomic<long> scanSignals{0};
    QString lastSize; // touched on the receiver's thread only, read after a barrier
    QString lastFiles;

    std::mutex mutex;
    std::condition_variable arrived;
    bool resultArrived = false;
    int done = 0;
    int failed = 0;
    int missing = 0;
    bool aborted = false;

    void reset()
    {
        statusSignals = 0;
        actionSignals = 0;
        scanSignals = 0;
        lastSize.clear();
        lastFiles.clear();
        std::lock_guard<std::mutex> lock(mutex);
        resultArrived = false;
        done = failed = missing = 0;
        aborted = false;
    }
};

struct WorkerRun {
    double seconds = 0;
    int done = 0;
    int failed = 0;
    int missing = 0;
    long statusSignals = 0;
    long scanSignals = 0;
    QString scanSize;
    QString scanFiles;
};

class WorkerDriver
{
public:
    WorkerDriver()
    {
        receiver.context = new QObject;
        receiver.context->moveToThread(&receiverThread);
        workerAnchor = new QObject;
        workerAnchor->moveToThread(&workerThread);
        receiverThread.start();
        workerThread.start();
    }

    ~WorkerDriver()
    {
        receiver.context->deleteLater();
        workerAnchor->deleteLater();
        receiverThread.quit();
        workerThread.quit();
        receiverThread.wait();
        workerThread.wait();
    }

    // Runs one operation on a fresh Worker. The clock stops when the receiver has the result,
    // or for a scan (which reports no result) when the worker thread is idle again and the
    // receiver has taken every update.
    WorkerRun run(ConfigStore &config, const QString &modName,
                  const std::function<void(Worker *)> &operation, bool reportsResult,
                  bool connectReceiver = true)
    {
        Worker *worker = new Worker(&config, modName);
        worker->moveToThread(&workerThread);
        if (connectReceiver)
            connectTo(worker);
        receiver.reset();

        WorkerRun result;
        const Clock::time_point start = Clock::now();
        QMetaObject::invokeMethod(
            worker, [worker, operation] { operation(worker); }, Qt::QueuedConnection);
        if (reportsResult && connectReceiver) {
            std::unique_lock<std::mutex> lock(receiver.mutex);
            receiver.arrived.wait(lock, [this] { return receiver.resultArrived; });
        } else {
            drain(connectReceiver);
        }
        result.seconds = secondsSince(start);

        worker->deleteLater();
        drain(true);
        result.done = receiver.done;
        result.failed = receiver.failed;
        result.missing = receiver.missing;
        result.statusSignals = receiver.statusSignals;
        result.scanSignals = receiver.scanSignals;
        result.scanSize = receiver.lastSize;
        result.scanFiles = receiver.lastFiles;
        return result;
    }

private:
    void drain(bool receiverToo)
    {
        QMetaObject::invokeMethod(
            workerAnchor, [] {}, Qt::BlockingQueuedConnection);
        if (receiverToo)
            QMetaObject::invokeMethod(
                receiver.context, [] {}, Qt::BlockingQueuedConnection);
    }

    void connectTo(Worker *worker)
    {
        Receiver *r = &receiver;
        QObject *context = receiver.context;
        QObject::connect(
            worker, &Worker::status, context,
            [r](const QString &, bool) {
                r->statusSignals.fetch_add(1, std::memory_order_relaxed);
            },
            Qt::QueuedConnection);
        QObject::connect(
            worker, &Worker::appendAction, context,
            [r](const QString &) { r->actionSignals.fetch_add(1, std::memory_order_relaxed); },
            Qt::QueuedConnection);
        QObject::connect(
            worker, &Worker::scanModUpdate, context,
            [r](int, const QString &sizeText, const QString &filesText) {
                r->scanSignals.fetch_add(1, std::memory_order_relaxed);
                r->lastSize = sizeText;
                r->lastFiles = filesText;
            },
            Qt::QueuedConnection);
        QObject::connect(
            worker, &Worker::resultReady, context,
            [r](const QString &, int done, int failed, int missing, bool aborted, bool) {
                std::lock_guard<std::mutex> lock(r->mutex);
                r->done = done;
                r->failed = failed;
                r->missing = missing;
                r->aborted = aborted;
                r->resultArrived = true;
                r->arrived.notify_all();
            },
            Qt::QueuedConnection);
    }

    QThread workerThread;
    QThread receiverThread;
    QObject *workerAnchor = nullptr;
    Receiver receiver;
};

// ---------------------------------------------------------------------------------------------
// Trees of one run

struct Side {
    std::string root;
    std::string app;
    std::string mods;
    std::string game;
    std::string incoming; // the folder a user would add as a mod by moving it
    std::string modFolder() const { return mods + "/mod"; }
    std::string deleteFolder() const { return mods + "/moddel"; }
    std::string copyTarget() const { return mods + "/copied"; }
    std::string moveSource() const { return incoming + "/mod"; }
    std::string moveTarget() const { return mods + "/moved"; }
    std::string outFiles() const { return app + "/out_files.txt"; }
    std::string backupFiles() const { return app + "/backup_files.txt"; }
    std::unique_ptr<ConfigStore> config;
};

struct RunTrees {
    Side worker; // timed with the Worker
    Side floor;  // timed with the bare system calls
    std::string stowTarget;
};

struct Sample {
    double seconds;
    long entries;
};

struct SizeSet {
    size_t files = 0;
    Shape shape;
    std::vector<RunTrees> runs;
    std::map<std::string, std::vector<Sample>> samples;
    std::vector<std::string> notes;
    std::vector<std::string> problems;
};

Side prepareSide(const Shape &shape, const std::string &root)
{
    Side side;
    side.root = root;
    side.app = root + "/app";
    side.mods = side.app + "/mods";
    side.game = root + "/game";
    side.incoming = root + "/incoming";
    writeModTree(shape, side.modFolder());
    writeModTree(shape, side.deleteFolder());
    writeModTree(shape, side.moveSource());
    writeGameTree(shape, side.game, true);
    const std::string config = "GamePath=" + side.game + "\nhideEmptyMods=1\n";
    const int fd = ::open((side.app + "/config.cfg").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, config.data(), config.size()) != ssize_t(config.size()))
        fail("cannot write %s/config.cfg", side.app.c_str());
    ::close(fd);
    side.config = std::make_unique<ConfigStore>(side.app);
    if (side.config->get("GamePath") != side.game)
        fail("config.cfg in %s was not read back", side.app.c_str());
    return side;
}

// ---------------------------------------------------------------------------------------------
// Figures

double median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double medianSeconds(const std::vector<Sample> &samples)
{
    std::vector<double> values;
    for (const Sample &sample : samples)
        values.push_back(sample.seconds);
    return median(values);
}

long medianEntries(const std::vector<Sample> &samples)
{
    std::vector<double> values;
    for (const Sample &sample : samples)
        values.push_back(double(sample.entries));
    return samples.empty() ? 0 : std::lround(median(values));
}

std::string format(const char *pattern, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

std::string withSpaces(long long value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), " ");
    return value < 0 ? "-" + digits : digits;
}

void noteWorkerProblems(SizeSet &set, const char *operation, int run, const WorkerRun &result)
{
    if (result.failed || result.missing)
        set.problems.push_back(format("%s run %d: %d failed, %d missing", operation, run + 1,
                                      result.failed, result.missing));
}

void expect(SizeSet &set, bool holds, const std::string &what)
{
    if (!holds)
        set.problems.push_back(what);
}

std::vector<size_t> parseSizes(const QString &text)
{
    std::vector<size_t> sizes;
    for (const QString &part : text.split(QLatin1Char(','))) {
        if (part.trimmed().isEmpty())
            continue;
        bool ok = false;
        const qulonglong value = part.trimmed().toULongLong(&ok);
        if (!ok || value < 100)
            fail("sizes are file counts of at least 100, separated by commas: %s",
                 qPrintable(text));
        sizes.push_back(size_t(value));
    }
    if (sizes.empty())
        fail("no sizes given");
    return sizes;
}

struct ToolRun {
    double seconds = 0;
    bool ok = false;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    ToolRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const Clock::time_point start = Clock::now();
    process.start(program, arguments);
    const bool finished = process.waitForStarted(-1) && process.waitForFinished(-1);
    run.seconds = secondsSince(start);
    run.output = QString::fromLocal8Bit(process.readAll()).trimmed();
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_worker"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times mount, unmount, scan, delete and adding of synthetic mods by the Worker, next to "
        "the bare system calls doing the same, GNU Stow and du. Prints medians."));
    parser.addHelpOption();
    const QCommandLineOption sizesOption(
        QStringLiteral("sizes"), QStringLiteral("Mod sizes in files, comma-separated."),
        QStringLiteral("list"), QStringLiteral("1000,10000,100000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Runs per size; medians are reported."),
                                        QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption workOption(
        QStringLiteral("work-dir"),
        QStringLiteral("Folder in which a fresh work folder is made and removed at the end."),
        QStringLiteral("dir"), QStringLiteral("/tmp"));
    parser.addOption(sizesOption);
    parser.addOption(runsOption);
    parser.addOption(workOption);
    parser.process(app);

    const std::vector<size_t> sizes = parseSizes(parser.value(sizesOption));
    bool runsOk = false;
    const int runs = parser.value(runsOption).toInt(&runsOk);
    if (!runsOk || runs < 1)
        fail("--runs takes a positive number");

    std::vector<SizeSet> sets(sizes.size());
    double neededBytes = 0;
    long long neededFiles = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        sets[i].files = sizes[i];
        sets[i].shape = makeShape(sizes[i]);
        const Shape &shape = sets[i].shape;
        // Per run and side: mod, delete copy, move source, copy-add result, game; plus Stow's
        // game. Each small file takes a 4 KiB block.
        const double files =
            double(runs) * (2.0 * (4.0 * double(sizes[i]) + double(shape.gameFileCount(true))) +
                            double(shape.gameFileCount(false)));
        neededFiles += (long long)files;
        neededBytes += files * 4096.0 * 1.1;
    }

    const std::string parent =
        std::filesystem::absolute(parser.value(workOption).toStdString()).lexically_normal();
    makeFolders(parent);
    struct statvfs disk {
    };
    if (::statvfs(parent.c_str(), &disk) == 0) {
        const double freeBytes = double(disk.f_bavail) * double(disk.f_frsize);
        const double freeInodes = double(disk.f_favail);
        if (freeBytes < neededBytes * 1.2 || freeInodes < double(neededFiles) * 1.2)
            fail("%s has %.1f GiB and %.0f inodes free; about %.1f GiB and %lld files are "
                 "needed",
                 parent.c_str(), freeBytes / 1073741824.0, freeInodes, neededBytes / 1073741824.0,
                 neededFiles);
    }
    std::string pattern = parent + "/runemount-bench-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        fail("cannot make a work folder in %s: %s", parent.c_str(), std::strerror(errno));
    const std::string work = pattern;

    const QString stow = QStandardPaths::findExecutable(QStringLiteral("stow"));
    const QString du = QStandardPaths::findExecutable(QStringLiteral("du"));

    // Preparation: every tree of every run, before anything is timed.
    progress("work folder %s; about %.1f GiB and %s files to write", work.c_str(),
             neededBytes / 1073741824.0, withSpaces(neededFiles).c_str());
    const Clock::time_point prepareStart = Clock::now();
    for (SizeSet &set : sets) {
        progress("preparing %zu files x %d runs (%zu links and %zu backups expected)", set.files,
                 runs, set.shape.expectedLinks, set.shape.expectedBackups);
        for (int r = 0; r < runs; ++r) {
            const std::string root = work + format("/s%zu/r%d", set.files, r + 1);
            RunTrees trees;
            // The two sides alternate, so that neither gets the fresher part of the disk.
            trees.worker = prepareSide(set.shape, root + "/worker");
            trees.floor = prepareSide(set.shape, root + "/floor");
            trees.stowTarget = root + "/stowgame";
            if (!stow.isEmpty())
                writeGameTree(set.shape, trees.stowTarget, false);
            set.runs.push_back(std::move(trees));
        }
    }
    ::sync();
    progress("prepared in %.1f s; peak RSS %ld KiB", secondsSince(prepareStart), peakRssKiB());

    const double probeBefore = probeCreation(work + "/probe-before");
    progress("creating an empty file takes %.0f us", probeBefore);

    WorkerDriver driver;
    auto phase = [&](const char *name, const std::function<void(SizeSet &, int)> &body) {
        for (SizeSet &set : sets) {
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < runs; ++r)
                body(set, r);
            progress("%-10s %7zu files: %.1f s for %d runs; peak RSS %ld KiB", name, set.files,
                     secondsSince(start), runs, peakRssKiB());
        }
    };

    // Phases that create entries come first, those that remove entries last (see the top).
    phase("mount", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const WorkerRun mounted = driver.run(
            *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->mountModWorker(); },
            true);
        set.samples["mount"].push_back({mounted.seconds, mounted.done});
        noteWorkerProblems(set, "mount", r, mounted);
        const long outLines = countLines(w.outFiles());
        const long backupLines = countLines(w.backupFiles());
        if (r == 0)
            set.notes.push_back(format(
                "mount: Worker made %s links and %s backups (result done %s, out_files.txt %s "
                "lines, backup_files.txt %s lines, %ld status signals); %s mod folders were "
                "folded into one link each",
                withSpaces(mounted.done).c_str(), withSpaces(backupLines).c_str(),
                withSpaces(mounted.done).c_str(), withSpaces(outLines).c_str(),
                withSpaces(backupLines).c_str(), mounted.statusSignals,
                withSpaces(long(set.shape.foldedFolders)).c_str()));
        expect(set,
               size_t(mounted.done) == set.shape.expectedLinks &&
                   size_t(backupLines) == set.shape.expectedBackups,
               format("mount run %d: %d links and %ld backups, %zu and %zu expected", r + 1,
                      mounted.done, backupLines, set.shape.expectedLinks,
                      set.shape.expectedBackups));

        Side &f = trees.floor;
        const Clock::time_point start = Clock::now();
        const floorops::MountCounts counts =
            floorops::mount(f.modFolder(), f.game, f.outFiles(), f.backupFiles());
        set.samples["floor mount"].push_back({secondsSince(start), counts.links});
        if (r == 0)
            set.notes.push_back(format("mount: floor made %s links and %s backups",
                                       withSpaces(counts.links).c_str(),
                                       withSpaces(counts.backups).c_str()));
        expect(set, counts.failed == 0 && size_t(counts.links) == set.shape.expectedLinks,
               format("floor mount run %d: %ld links, %ld failed", r + 1, counts.links,
                      counts.failed));
    });

    phase("copy-add", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const QString source = q(w.modFolder());
        const QString target = q(w.copyTarget());
        const WorkerRun copied = driver.run(
            *w.config, QStringLiteral("copied"),
            [source, target](Worker *worker) { worker->moveFolderWorker(source, target, 1); },
            true);
        set.samples["copy-add"].push_back({copied.seconds, copied.done});
        noteWorkerProblems(set, "copy-add", r, copied);
        expect(set, countTree(w.copyTarget()).files == long(set.files),
               format("copy-add run %d: the copy is incomplete", r + 1));

        Side &f = trees.floor;
        const Clock::time_point start = Clock::now();
        const long done = floorops::transferTree(f.modFolder(), f.copyTarget(), false);
        set.samples["floor copy-add"].push_back({secondsSince(start), done});
        expect(set, done == long(set.files),
               format("floor copy-add run %d: %ld files", r + 1, done));
    });

    phase("scan", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const WorkerRun scanned = driver.run(
            *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->scanModWorker(0); },
            false);
        set.samples["scan"].push_back({scanned.seconds, scanned.scanSignals});
        expect(set, scanned.scanSignals == long(set.files),
               format("scan run %d: %ld updates for %zu files", r + 1, scanned.scanSignals,
                      set.files));

        Side &f = trees.floor;
        long long bytes = 0;
        const Clock::time_point start = Clock::now();
        const long files = floorops::scan(f.modFolder(), bytes);
        set.samples["floor scan"].push_back({secondsSince(start), files});

        // The same walk with nobody listening: what the per-file updates cost on their own.
        const WorkerRun unheard = driver.run(
            *w.config, QStringLiteral("mod"), [](Worker *worker) { worker->scanModWorker(0); },
            false, false);
        set.samples["scan, unconnected"].push_back({unheard.seconds, long(set.files)});

        if (!du.isEmpty()) {
            const ToolRun measured = runTool(du, {QStringLiteral("-sb"), q(f.modFolder())});
            set.samples["du -sb"].push_back({measured.seconds, long(set.files)});
            if (r == 0)
                set.notes.push_back(format(
                    "scan: Worker's last update \"%s\", \"%s\" (%s updates); floor %s files, %s "
                    "bytes; du -sb: %s (it counts the folders' own blocks too)",
                    qPrintable(scanned.scanSize), qPrintable(scanned.scanFiles),
                    withSpaces(scanned.scanSignals).c_str(), withSpaces(files).c_str(),
                    withSpaces(bytes).c_str(), qPrintable(measured.output.section('\t', 0, 0))));
            expect(set, measured.ok, "du failed: " + measured.output.toStdString());
        }
    });

    if (!stow.isEmpty()) {
        phase("stow", [&](SizeSet &set, int r) {
            RunTrees &trees = set.runs[size_t(r)];
            const ToolRun stowed =
                runTool(stow, {QStringLiteral("-d"), q(trees.floor.mods), QStringLiteral("-t"),
                               q(trees.stowTarget), QStringLiteral("mod")});
            const TreeCount count = countTree(trees.stowTarget);
            set.samples["stow mount"].push_back({stowed.seconds, count.links});
            if (r == 0)
                set.notes.push_back(format("stow: made %s links (into a game copy without the "
                                           "%s files the mod replaces)",
                                           withSpaces(count.links).c_str(),
                                           withSpaces(long(set.shape.expectedBackups)).c_str()));
            expect(set, stowed.ok, "stow failed: " + stowed.output.toStdString());
        });
    }

    phase("move-add", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const QString source = q(w.moveSource());
        const QString target = q(w.moveTarget());
        const WorkerRun moved = driver.run(
            *w.config, QStringLiteral("moved"),
            [source, target](Worker *worker) { worker->moveFolderWorker(source, target, 0); },
            true);
        set.samples["move-add"].push_back({moved.seconds, moved.done});
        noteWorkerProblems(set, "move-add", r, moved);
        expect(set, countTree(w.moveTarget()).files == long(set.files) && !exists(w.moveSource()),
               format("move-add run %d: %ld files arrived, source %s", r + 1,
                      countTree(w.moveTarget()).files,
                      exists(w.moveSource()) ? "still there" : "gone"));

        Side &f = trees.floor;
        const Clock::time_point start = Clock::now();
        const long done = floorops::transferTree(f.moveSource(), f.moveTarget(), true);
        set.samples["floor move-add"].push_back({secondsSince(start), done});
        expect(set, done == long(set.files) && !exists(f.moveSource()),
               format("floor move-add run %d: %ld files", r + 1, done));
    });

    phase("unmount", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const WorkerRun unmounted = driver.run(
            *w.config, QStringLiteral("mod"),
            [](Worker *worker) { worker->unmountModWorker(false); }, true);
        set.samples["unmount"].push_back({unmounted.seconds, unmounted.done});
        noteWorkerProblems(set, "unmount", r, unmounted);
        const TreeCount game = countTree(w.game);
        expect(set,
               game.links == 0 && game.backups == 0 &&
                   size_t(game.files) == set.shape.gameFileCount(true),
               format("unmount run %d: the game folder holds %ld links, %ld backups, %ld files",
                      r + 1, game.links, game.backups, game.files));

        Side &f = trees.floor;
        const Clock::time_point start = Clock::now();
        const floorops::UnmountCounts counts = floorops::unmount(f.outFiles(), f.backupFiles());
        set.samples["floor unmount"].push_back(
            {secondsSince(start), counts.removed + counts.restored});
        expect(set, counts.failed == 0,
               format("floor unmount run %d: %ld failed", r + 1, counts.failed));

        if (!stow.isEmpty()) {
            const long links = countTree(trees.stowTarget).links;
            const ToolRun unstowed =
                runTool(stow, {QStringLiteral("-D"), QStringLiteral("-d"), q(trees.floor.mods),
                               QStringLiteral("-t"), q(trees.stowTarget), QStringLiteral("mod")});
            set.samples["stow unmount"].push_back({unstowed.seconds, links});
            expect(set, unstowed.ok && countTree(trees.stowTarget).links == 0,
                   "stow -D failed: " + unstowed.output.toStdString());
        }
    });

    phase("delete", [&](SizeSet &set, int r) {
        RunTrees &trees = set.runs[size_t(r)];
        Side &w = trees.worker;
        const WorkerRun deleted = driver.run(
            *w.config, QStringLiteral("moddel"), [](Worker *worker) { worker->deleteModWorker(); },
            true);
        set.samples["delete"].push_back({deleted.seconds, deleted.done});
        noteWorkerProblems(set, "delete", r, deleted);
        expect(
            set, !exists(w.deleteFolder()) && exists(w.mods),
            format("delete run %d: the mod folder %s", r + 1,
                   exists(w.deleteFolder()) ? "is still there" : "is gone, with the mods folder"));

        Side &f = trees.floor;
        const Clock::time_point start = Clock::now();
        const long removed = floorops::removeTree(f.deleteFolder());
        set.samples["floor delete"].push_back({secondsSince(start), removed});
    });

    const double probeAfter = probeCreation(work + "/probe-after");

    // The table.
    struct Row {
        const char *operation;
        const char *key;
        const char *floorKey;
    };
    const Row rows[] = {
        {"mount", "mount", "floor mount"},
        {"unmount", "unmount", "floor unmount"},
        {"scan", "scan", "floor scan"},
        {"scan, receiver not connected", "scan, unconnected", "floor scan"},
        {"delete", "delete", "floor delete"},
        {"copy-add", "copy-add", "floor copy-add"},
        {"move-add", "move-add", "floor move-add"},
        {"stow mount (stow -d -t)", "stow mount", "floor mount"},
        {"stow unmount (stow -D)", "stow unmount", "floor unmount"},
        {"du -sb", "du -sb", "floor scan"},
    };

    std::printf("\nWorker on its own thread, signals queued to a counting receiver on another; "
                "floor = the same work in bare system calls.\n");
    std::printf("Medians of %d run%s. Ratio = median seconds / floor seconds; the Stow rows "
                "compare with the floor's mount and unmount, du with the floor's scan.\n",
                runs, runs == 1 ? "" : "s");
    std::printf("Creating an empty file took %.0f us before the timed phase and %.0f us after "
                "it (a healthy disk here: about 10-40 us).\n\n",
                probeBefore, probeAfter);
    const char *header = "%-30s | %7s | %15s | %14s | %12s | %13s | %15s\n";
    std::printf(header, "operation", "files", "entries handled", "median seconds", "entries/s",
                "floor seconds", "ratio to floor");
    std::printf("%s\n", std::string(125, '-').c_str());
    for (SizeSet &set : sets) {
        for (const Row &row : rows) {
            const auto found = set.samples.find(row.key);
            if (found == set.samples.end()) {
                const bool isStow = std::strncmp(row.key, "stow", 4) == 0;
                std::printf("%-30s | %7s | %s\n", row.operation,
                            withSpaces(long(set.files)).c_str(),
                            isStow ? "stow not installed" : "du not found");
                continue;
            }
            const double seconds = medianSeconds(found->second);
            const long entries = medianEntries(found->second);
            const auto floorFound = set.samples.find(row.floorKey);
            const double floorSeconds =
                floorFound == set.samples.end() ? std::nan("") : medianSeconds(floorFound->second);
            std::printf("%-30s | %7s | %15s | %14.3f | %12s | %13.3f | %14.1fx\n", row.operation,
                        withSpaces(long(set.files)).c_str(), withSpaces(entries).c_str(), seconds,
                        withSpaces(std::llround(double(entries) / seconds)).c_str(), floorSeconds,
                        seconds / floorSeconds);
        }
        std::printf("%s\n", std::string(125, '-').c_str());
    }

    for (SizeSet &set : sets) {
        std::printf("\n%s files (%s mod folders, %s game files):\n",
                    withSpaces(long(set.files)).c_str(),
                    withSpaces(long(set.shape.modFolders.size())).c_str(),
                    withSpaces(long(set.shape.gameFileCount(true))).c_str());
        for (const std::string &note : set.notes)
            std::printf("  %s\n", note.c_str());
        std::printf("  each run, seconds:\n");
        for (const auto &entry : set.samples) {
            std::string line;
            for (const Sample &sample : entry.second)
                line += format(" %.3f", sample.seconds);
            std::printf("    %-20s%s\n", entry.first.c_str(), line.c_str());
        }
        for (const std::string &problem : set.problems)
            std::printf("  PROBLEM: %s\n", problem.c_str());
    }
    if (stow.isEmpty())
        std::printf("\nstow not installed\n");
    std::printf("\nPeak resident set size: %s KiB\n", withSpaces(peakRssKiB()).c_str());
    std::fflush(stdout);

    // Only now, after all timing, does anything go.
    const Clock::time_point cleanupStart = Clock::now();
    std::error_code error;
    std::filesystem::remove_all(work, error);
    progress("removed %s in %.1f s%s", work.c_str(), secondsSince(cleanupStart),
             error ? (": " + error.message()).c_str() : "");
    return 0;
}
