// Registry access off Windows: answered by the in-memory stand-in.
#include "gameregistry.h"
#include "gameregistrystandin.h"

#include <map>
#include <mutex>

namespace
{

struct StoredValue {
    GameValueKind kind;
    std::u16string text;
    std::uint32_t number;
};

struct Registry {
    bool gameKey = false;
    std::map<std::wstring, StoredValue> gameValues;
    std::u16string programFilesX86;
    bool writesFail = false;
};

// The real registry is process-wide and thread-safe; so is its stand-in.
std::mutex registryMutex;
Registry registry;

// The same 1024-byte limit as the real query: 511 UTF-16 units and a terminating NUL.
constexpr size_t maxTextUnits = 511;

} // namespace

std::string readGameValue(const std::wstring &name, GameValueKind kind)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    if (!registry.gameKey)
        return std::string();
    const auto found = registry.gameValues.find(name);
    if (found == registry.gameValues.end() || found->second.kind != kind)
        return std::string();
    if (kind == GameValueKind::Number)
        return std::to_string(std::int32_t(found->second.number));
    if (found->second.text.size() > maxTextUnits)
        return std::string();
    return narrowText(found->second.text.substr(0, found->second.text.find(u'\0')));
}

bool writeGameDword(const std::wstring &name, std::uint32_t value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    if (!registry.gameKey || registry.writesFail)
        return false;
    registry.gameValues[name] = StoredValue{GameValueKind::Number, std::u16string(), value};
    return true;
}

std::string readProgramFilesX86()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    if (registry.programFilesX86.size() > maxTextUnits)
        return std::string();
    return narrowText(registry.programFilesX86);
}

namespace GameRegistryStandIn
{

void reset()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry = Registry();
}

void createGameKey()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.gameKey = true;
}

void removeGameKey()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.gameKey = false;
    registry.gameValues.clear();
}

void setGameString(const std::wstring &name, const std::u16string &value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.gameKey = true;
    registry.gameValues[name] = StoredValue{GameValueKind::Text, value, 0};
}

void setGameDword(const std::wstring &name, std::uint32_t value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.gameKey = true;
    registry.gameValues[name] = StoredValue{GameValueKind::Number, std::u16string(), value};
}

std::int64_t gameDword(const std::wstring &name)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    if (!registry.gameKey)
        return -1;
    const auto found = registry.gameValues.find(name);
    if (found == registry.gameValues.end() || found->second.kind != GameValueKind::Number)
        return -1;
    return found->second.number;
}

bool hasGameKey()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    return registry.gameKey;
}

void setProgramFilesX86(const std::u16string &value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.programFilesX86 = value;
}

void setWritesFail(bool fail)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.writesFail = fail;
}

} // namespace GameRegistryStandIn
