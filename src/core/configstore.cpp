#include "configstore.h"

#include "gameregistry.h"
#include "linereader.h"
#include "pathnames.h"
#include "utf8.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <vector>

#ifdef Q_OS_WIN
namespace
{

const char fallbackGamePath[] = "C:/Program Files (x86)/Warcraft III";

} // namespace
#endif

std::string ConfigStore::defaultGamePath(const GameRegistry *registry) const
{
    std::vector<std::string> candidates;
    if (registry) {
        // No game folder is known yet: off Windows, Wine's standard prefix answers.
        const std::string noFolder;
        const std::string programFiles = registry->readProgramFilesX86(noFolder);
        candidates = {registry->readGameValue(noFolder, L"GamePath", GameValueKind::Text),
                      registry->readGameValue(noFolder, L"InstallPath", GameValueKind::Text),
                      programFiles.empty() ? std::string() : programFiles + "/Warcraft III"};
    }
#ifdef Q_OS_WIN
    // Off Windows a drive letter names no folder: without a Wine prefix the user chooses it.
    candidates.push_back(fallbackGamePath);
#endif
    // The first source that names a folder other than this program's own wins.
    for (const std::string &path : candidates)
        if (!path.empty() && !(QDir::isAbsolutePath(fromUtf8(path)) && isOwnFolder(path)))
            return path;
    return std::string();
}

std::string ConfigStore::applicationDirectory()
{
    return toUtf8(QCoreApplication::applicationDirPath());
}

ConfigStore::ConfigStore(const GameRegistry *registry)
    : ConfigStore(applicationDirectory(), registry)
{
}

ConfigStore::ConfigStore(const std::string &applicationFolder, const GameRegistry *registry)
    : applicationDir(applicationFolder), configPath(applicationDir + "/config.cfg"),
      modsPath(applicationDir + "/mods"), outFilesPath(applicationDir + "/out_files.txt"),
      backupFilesPath(applicationDir + "/backup_files.txt"),
      unmountProgressPath(applicationDir + "/unmount_progress.txt"),
      keptBackupsPath(applicationDir + "/kept_backups.txt")
{
    load();
    fillDefaults(registry);
}

bool ConfigStore::isOwnFolder(const std::string &folder) const
{
    return PathNames::liesWithin(fromUtf8(folder), fromUtf8(applicationDir));
}

std::string ConfigStore::get(const std::string &key) const
{
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

void ConfigStore::set(const std::string &key, const std::string &value)
{
    if (key.empty())
        return;
    if (value.empty()) {
        erase(key);
        return;
    }
    std::string stored = value;
    if (key == ConfigKey::gamePath)
        std::replace(stored.begin(), stored.end(), '\\', '/');
    values[key] = std::move(stored);
}

void ConfigStore::erase(const std::string &key)
{
    values.erase(key);
}

bool ConfigStore::save() const
{
    // Written beside the old file and renamed over it, so that a crash or a full disk never
    // leaves a truncated config.cfg (and with it a forgotten mount).
    QSaveFile file(QString::fromUtf8(configPath.data(), int(configPath.size())));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QByteArray content;
    for (const auto &entry : values) {
        content.append(entry.first.data(), int(entry.first.size()));
        content.append('=');
        content.append(entry.second.data(), int(entry.second.size()));
        content.append('\n');
    }
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::pair<std::string, std::string> ConfigStore::splitLine(const std::string &line)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return {line, line};
    return {line.substr(0, equals), line.substr(equals + 1)};
}

void ConfigStore::load()
{
    LineReader reader(configPath);
    while (reader.next()) {
        const auto keyValue = splitLine(reader.line);
        set(keyValue.first, keyValue.second);
    }
}

void ConfigStore::fillDefaults(const GameRegistry *registry)
{
    bool filled = false;
    if (get(ConfigKey::gamePath).empty()) {
        const std::string gamePath = defaultGamePath(registry);
        filled = !gamePath.empty();
        set(ConfigKey::gamePath, gamePath);
    }
    if (get(ConfigKey::hideEmptyMods).empty()) {
        set(ConfigKey::hideEmptyMods, "1");
        filled = true;
    }
    if (filled)
        unsavedDefaults = !save();
}
