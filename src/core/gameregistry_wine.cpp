// Off Windows the game runs under Wine: its registry key lives in the text files of the Wine
// prefix that holds the game.
#include "gameregistry.h"
#include "utf8.h"
#include "wineprefix.h"
#include "wineregistryfile.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <mutex>

namespace
{

const QString gameKey = QStringLiteral("Software\\Blizzard Entertainment\\Warcraft III");
const QString gameKeyForReg =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III");

// The prefix whose registry is the game's; none when it does not exist.
WinePrefix prefixOf(const std::string &gameFolder)
{
    const QString found =
        gameFolder.empty() ? QString() : WinePrefix::containing(fromUtf8(gameFolder));
    return WinePrefix(found.isEmpty() ? WinePrefix::standard() : found);
}

QString fromWide(const std::wstring &text)
{
    return QString::fromStdWString(text);
}

WineRegistryFile loadRegistry(const QString &file)
{
    QFile registry(file);
    return WineRegistryFile(registry.open(QIODevice::ReadOnly) ? registry.readAll() : QByteArray());
}

WineRegistryFile::Value fileValue(const QString &file, const QString &key, const QString &name)
{
    return loadRegistry(file).value(key, name);
}

std::string numberOf(const WineRegistryFile::Value &value)
{
    if (value.type != WineRegistryFile::Value::Dword)
        return std::string();
    return std::to_string(std::int32_t(value.number));
}

std::string textOf(const WineRegistryFile::Value &value)
{
    if (value.type != WineRegistryFile::Value::Text || size_t(value.text.size()) > maxGameTextUnits)
        return std::string();
    return toUtf8(value.text);
}

// A Windows path from the registry as the path it names here; empty when it names none.
std::string localPath(const WinePrefix &prefix, const std::string &windowsPath)
{
    if (windowsPath.empty())
        return windowsPath;
    return toUtf8(prefix.toLocalPath(fromUtf8(windowsPath)));
}

// Runs Wine's own registry editor for the prefix; its output, or nothing when it failed.
bool runReg(const WinePrefix &prefix, const QStringList &arguments, QByteArray *output = nullptr)
{
    const QString wine = WinePrefix::wineProgram();
    if (wine.isEmpty())
        return false;
    QProcess reg;
    QProcessEnvironment environment = prefix.environment();
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    reg.setProcessEnvironment(environment);
    reg.start(wine, QStringList{QStringLiteral("reg")} + arguments);
    if (!reg.waitForFinished(gameCallLimitMs)) {
        reg.kill();
        reg.waitForFinished();
        return false;
    }
    if (output)
        *output = reg.readAllStandardOutput();
    return reg.exitStatus() == QProcess::NormalExit && reg.exitCode() == 0;
}

// A DWORD through the running server, which may hold newer values than the files.
bool serverDword(const WinePrefix &prefix, const QString &name, std::uint32_t *number)
{
    QByteArray output;
    if (!runReg(prefix, {QStringLiteral("query"), gameKeyForReg, QStringLiteral("/v"), name},
                &output))
        return false;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const int type = fields.indexOf("REG_DWORD");
        if (type < 0 || type + 1 >= fields.size() || !fields[type + 1].startsWith("0x"))
            continue;
        bool ok = false;
        *number = fields[type + 1].mid(2).toUInt(&ok, 16);
        return ok;
    }
    return false;
}

bool writeThroughServer(const WinePrefix &prefix, const QString &name, std::uint32_t number)
{
    // `reg add` would create a missing key; the program never does.
    if (!runReg(prefix, {QStringLiteral("query"), gameKeyForReg}))
        return false;
    std::uint32_t stored = 0;
    return runReg(prefix, {QStringLiteral("add"), gameKeyForReg, QStringLiteral("/v"), name,
                           QStringLiteral("/t"), QStringLiteral("REG_DWORD"), QStringLiteral("/d"),
                           QString::number(number), QStringLiteral("/f")}) &&
           serverDword(prefix, name, &stored) && stored == number;
}

bool writeFile(const WinePrefix &prefix, const QString &name, std::uint32_t number)
{
    const QString path = prefix.userRegistry();
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly))
        return false;
    WineRegistryFile registry(current.readAll());
    current.close();
    if (!registry.setDword(gameKey, name, number))
        return false;
    // Whole or not at all: the file holds every setting of every program in the prefix.
    QSaveFile changed(path);
    return changed.open(QIODevice::WriteOnly) &&
           changed.write(registry.text()) == registry.text().size() && changed.commit();
}

// The registry of the game's Wine prefix. It keeps nothing between calls but the lock that
// keeps two writes of the same file apart.
class WineRegistry : public GameRegistry
{
public:
    std::string readGameValue(const std::string &gameFolder, const std::wstring &name,
                              GameValueKind kind) const override;
    GameOptionValues readOptions(const std::string &gameFolder) const override;
    bool writeGameDword(const std::string &gameFolder, const std::wstring &name,
                        std::uint32_t value) const override;
    std::string readProgramFilesX86(const std::string &gameFolder) const override;
    bool waitsForWine(const std::string &gameFolder) const override;

private:
    // A read, change and rewrite of user.reg: another one between them would be lost.
    mutable std::mutex fileWrites;
};

} // namespace

std::unique_ptr<GameRegistry> GameRegistry::system()
{
    return std::make_unique<WineRegistry>();
}

std::string WineRegistry::readGameValue(const std::string &gameFolder, const std::wstring &name,
                                        GameValueKind kind) const
{
    const WinePrefix prefix = prefixOf(gameFolder);
    if (!prefix.exists())
        return std::string();
    const QString valueName = fromWide(name);
    if (kind == GameValueKind::Number) {
        if (!prefix.serverRunning())
            return numberOf(fileValue(prefix.userRegistry(), gameKey, valueName));
        std::uint32_t number = 0;
        if (!serverDword(prefix, valueName, &number))
            return std::string();
        return std::to_string(std::int32_t(number));
    }
    const std::string text = textOf(fileValue(prefix.userRegistry(), gameKey, valueName));
    const bool isFolder =
        valueName == QLatin1String("GamePath") || valueName == QLatin1String("InstallPath");
    return isFolder ? localPath(prefix, text) : text;
}

GameOptionValues WineRegistry::readOptions(const std::string &gameFolder) const
{
    const WinePrefix prefix = prefixOf(gameFolder);
    if (!prefix.exists() || prefix.serverRunning())
        return GameRegistry::readOptions(gameFolder);
    // The file holds every setting of every program in the prefix: read it once for both.
    const WineRegistryFile registry = loadRegistry(prefix.userRegistry());
    GameOptionValues values;
    for (const GameOption option : gameOptions)
        values[option] = numberOf(registry.value(gameKey, fromWide(valueName(option))));
    return values;
}

bool WineRegistry::writeGameDword(const std::string &gameFolder, const std::wstring &name,
                                  std::uint32_t value) const
{
    const WinePrefix prefix = prefixOf(gameFolder);
    if (!prefix.exists())
        return false;
    // A running server keeps the registry in memory and would write over the file.
    if (prefix.serverRunning())
        return writeThroughServer(prefix, fromWide(name), value);
    std::lock_guard<std::mutex> lock(fileWrites);
    return writeFile(prefix, fromWide(name), value);
}

std::string WineRegistry::readProgramFilesX86(const std::string &gameFolder) const
{
    const WinePrefix prefix = prefixOf(gameFolder);
    if (!prefix.exists())
        return std::string();
    return localPath(
        prefix, textOf(fileValue(prefix.systemRegistry(),
                                 QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion"),
                                 QStringLiteral("ProgramFilesDir (x86)"))));
}

bool WineRegistry::waitsForWine(const std::string &gameFolder) const
{
    const WinePrefix prefix = prefixOf(gameFolder);
    return prefix.exists() && prefix.serverRunning() && !WinePrefix::wineProgram().isEmpty();
}
