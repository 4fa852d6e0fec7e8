#pragma once

#include <map>
#include <string>
#include <utility>

class GameRegistry;

// The keys of config.cfg.
namespace ConfigKey
{
inline constexpr char gamePath[] = "GamePath";
inline constexpr char hideEmptyMods[] = "hideEmptyMods";
// "1" when mounts place hard links instead of symbolic links.
inline constexpr char hardLinks[] = "HardLinks";
// The mod that is mounted, with the size and file count its row showed when it was mounted,
// and the records of what went wrong with it (see ResultWording::errorRecord).
inline constexpr char mounted[] = "Mounted";
inline constexpr char mountedSize[] = "MountedSize";
inline constexpr char mountedCount[] = "MountedCount";
inline constexpr char mountedError[] = "MountedError";
// The mod list's order: "Name", "Size" or "Files", and "Ascending" or "Descending".
inline constexpr char sortColumn[] = "SortColumn";
inline constexpr char sortOrder[] = "SortOrder";
} // namespace ConfigKey

// The program's settings and mount state, persisted in config.cfg beside the executable.
// Keys and values are byte strings (UTF-8 for text from the user interface); std::string
// compares bytes as unsigned, so the map is in plain byte order, which is the file's order.
class ConfigStore
{
public:
    // Uses the folder of the running executable. Without a game folder in config.cfg, the
    // game's registry names one; without a registry only the usual install folder is left.
    explicit ConfigStore(const GameRegistry *registry = nullptr);
    // Uses the given folder (UTF-8, forward slashes, no trailing slash) instead.
    explicit ConfigStore(const std::string &applicationFolder,
                         const GameRegistry *registry = nullptr);

    ConfigStore(const ConfigStore &) = delete;
    ConfigStore &operator=(const ConfigStore &) = delete;

    // The value of `key`, or the empty text when the key is absent.
    std::string get(const std::string &key) const;
    // An empty value removes the key; an empty key is ignored. Never writes the file.
    void set(const std::string &key, const std::string &value);
    void erase(const std::string &key);
    // Rewrites config.cfg from the map; false when that failed, and the old file then stays
    // intact.
    bool save() const;
    // The defaults filled in at construction could not be saved.
    bool defaultsUnsaved() const { return unsavedDefaults; }

    static std::pair<std::string, std::string> splitLine(const std::string &line);
    // The folder of the running executable, as UTF-8 with forward slashes.
    static std::string applicationDirectory();
    // The folder (UTF-8; a relative one is taken from the current folder) is this program's
    // own folder or lies inside it, where the game folder must never be: a mod would be
    // mounted onto the mods folder, or onto itself.
    bool isOwnFolder(const std::string &folder) const;

    const std::string applicationDir;
    const std::string configPath;

private:
    std::map<std::string, std::string> values;
    bool unsavedDefaults = false;

public:
    const std::string modsPath;
    const std::string outFilesPath;
    const std::string backupFilesPath;
    // Exists only while an unmount runs, or after one was killed part way.
    const std::string unmountProgressPath;
    // Earlier game entries that unmounts left under backup names; only ever appended to.
    const std::string keptBackupsPath;

private:
    void load();
    void fillDefaults(const GameRegistry *registry);
    std::string defaultGamePath(const GameRegistry *registry) const;
};
