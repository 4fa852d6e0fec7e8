#include "trees.h"

#include "benchsupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>

namespace bench
{

namespace
{

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

struct ShapeFolder {
    std::string path;
    bool inGame;
    bool parentInGame;
    double weight; // the share of the files it gets
};

std::vector<ShapeFolder> listFolders(size_t fileCount)
{
    static const char *const tops[] = {"art",    "audio",   "data",     "maps",
                                       "models", "scripts", "textures", "ui"};
    const double unitsPerTop = double(fileCount) / 160.0;
    const long groups = std::max(1L, std::lround(std::sqrt(unitsPerTop)));
    const long sets = std::max(1L, std::lround(unitsPerTop / double(groups)));

    std::vector<ShapeFolder> folders;
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
    for (size_t i = 0; i < folders.size(); ++i)
        folders[i].weight *= 0.5 + unitOf(uint32_t(i) + 1000003U);
    return folders;
}

// Hands out the files by the folders' weights; returns the indices of the files whose folder
// the game has.
std::vector<size_t> placeFiles(Shape &shape, const std::vector<ShapeFolder> &folders)
{
    double totalWeight = 0;
    for (const ShapeFolder &folder : folders)
        totalWeight += folder.weight;

    const size_t fileCount = shape.fileCount;
    double cumulative = 0;
    size_t assigned = 0;
    char name[32];
    std::vector<size_t> inGameFolderFiles;
    for (size_t i = 0; i < folders.size(); ++i) {
        const ShapeFolder &folder = folders[i];
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
    return inGameFolderFiles;
}

// Spreads the conflicts evenly over the files whose folder the game has.
void spreadConflicts(Shape &shape, const std::vector<size_t> &inGameFolderFiles)
{
    const size_t candidates = inGameFolderFiles.size();
    const size_t wanted =
        std::min(candidates, size_t(std::llround(double(shape.fileCount) * 0.05)));
    for (size_t k = 0; k < candidates && wanted > 0; ++k) {
        if ((k + 1) * wanted / candidates > k * wanted / candidates) {
            shape.modFiles[inGameFolderFiles[k]].conflict = true;
            ++shape.expectedBackups;
        }
    }
}

void makeFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        fail("cannot create folder %s: %s", path.c_str(), std::strerror(errno));
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

// Mods are made on Windows, where letter case does not matter: about a fifth of the names the
// game shares with the mod are spelt in capitals on the game's side ("ART/group03/F0007.DAT"
// for the mod's "art/group03/f0007.dat"), and the mount has to find them all the same.
std::string gameSpelling(const std::string &relative)
{
    std::string spelt;
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t slash = std::min(relative.find('/', start), relative.size());
        std::string part = relative.substr(start, slash - start);
        if (mix(uint32_t(std::hash<std::string>()(part))) % 5U == 0)
            for (char &c : part)
                c = char(std::toupper(static_cast<unsigned char>(c)));
        spelt += (start == 0 ? "" : "/") + part;
        start = slash + 1;
    }
    return spelt;
}

void writeModTree(const Shape &shape, const std::string &root)
{
    makeFolders(root);
    for (const std::string &folder : shape.modFolders)
        makeFolder(root + '/' + folder);
    for (const ModFile &file : shape.modFiles)
        writeFile(root + '/' + file.relative, file.size);
}

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

} // namespace

// Eight top folders the game has as well (so the mount descends), each with groups of sets of
// files: half the groups and about a fifth of the sets under the game's groups exist in the
// game, the rest are folded into one link each. Files sit 2 to 4 levels deep, about 20 to a
// set; 5 % of all files are in the game too. At 100 000 files this makes about 14 000 links
// and 5 000 backups.
Shape makeShape(size_t fileCount)
{
    Shape shape;
    shape.fileCount = fileCount;
    const std::vector<size_t> inGameFolderFiles = placeFiles(shape, listFolders(fileCount));
    shape.gameOnlyFiles.push_back("game.bin");
    shape.gameOnlyFiles.push_back("game.cfg");
    shape.gameOnlyFiles.push_back("launcher.bin");
    spreadConflicts(shape, inGameFolderFiles);
    shape.expectedLinks = inGameFolderFiles.size() + shape.foldedFolders;
    return shape;
}

void makeFolders(const std::string &path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        fail("cannot create folder %s: %s", path.c_str(), error.message().c_str());
}

void writeGameTree(const Shape &shape, const std::string &root, bool withConflicts)
{
    makeFolders(root);
    for (const std::string &folder : shape.gameFolders)
        makeFolder(root + '/' + gameSpelling(folder));
    for (const std::string &file : shape.gameOnlyFiles)
        writeFile(root + '/' + gameSpelling(file), 100);
    if (withConflicts)
        for (const ModFile &file : shape.modFiles)
            if (file.conflict)
                writeFile(root + '/' + gameSpelling(file.relative), 10 + file.size % 100);
}

// The program reads its game folder from here, as it does beside its executable.
void writeConfig(const std::string &app, const std::string &game)
{
    const std::string config = "GamePath=" + game + "\nhideEmptyMods=1\n";
    const int fd = ::open((app + "/config.cfg").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, config.data(), config.size()) != ssize_t(config.size()))
        fail("cannot write %s/config.cfg", app.c_str());
    ::close(fd);
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

Side prepareSide(const Shape &shape, const std::string &root, SideTrees trees)
{
    Side side;
    side.root = root;
    side.app = root + "/app";
    side.mods = side.app + "/mods";
    side.game = root + "/game";
    side.incoming = root + "/incoming";
    writeModTree(shape, side.modFolder());
    if (trees == SideTrees::All) {
        writeModTree(shape, side.deleteFolder());
        writeModTree(shape, side.moveSource());
    }
    writeGameTree(shape, side.game, true);
    writeConfig(side.app, side.game);
    side.config = std::make_unique<ConfigStore>(side.app);
    if (side.config->get("GamePath") != side.game)
        fail("config.cfg in %s was not read back", side.app.c_str());
    return side;
}

std::string prepareModList(const std::string &root, int mods, int filesEach)
{
    const std::string app = root + "/app";
    const std::string game = root + "/game";
    makeFolders(app + "/mods");
    makeFolders(game);
    char name[32];
    for (int mod = 0; mod < mods; ++mod) {
        std::snprintf(name, sizeof name, "/mods/mod%05d", mod);
        const std::string folder = app + name;
        makeFolder(folder);
        for (int file = 0; file < filesEach; ++file) {
            std::snprintf(name, sizeof name, "/f%02d.dat", file);
            writeFile(folder + name, 1 + mix(uint32_t(mod * filesEach + file)) % 2048U);
        }
    }
    writeConfig(app, game);
    return app;
}

} // namespace bench
