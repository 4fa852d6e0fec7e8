// The in-memory stand-in of the registry, which tests fill.
#include "gameregistry.h"
#include "gameregistrycontents.h"

#include <atomic>

using GameRegistryContents::Registry;

namespace GameRegistryContents
{

std::mutex &mutex()
{
    static std::mutex registryMutex;
    return registryMutex;
}

Registry &contents()
{
    static Registry registry;
    return registry;
}

std::condition_variable &callsReleased()
{
    static std::condition_variable released;
    return released;
}

namespace
{

std::atomic<bool> chosen{false};

// Holds a read or write while a test asks for it, as a busy Wine server would.
void waitWhileHeld(std::unique_lock<std::mutex> &lock)
{
    Registry &registry = GameRegistryContents::contents();
    ++registry.callsHeld;
    callsReleased().wait(lock, [&registry] { return !registry.holdCalls; });
    --registry.callsHeld;
}

} // namespace

void chooseStandIn(bool choose)
{
    chosen = choose;
}

bool standInChosen()
{
    return chosen;
}

std::string readGameValue(const std::wstring &name, GameValueKind kind)
{
    std::unique_lock<std::mutex> lock(GameRegistryContents::mutex());
    waitWhileHeld(lock);
    const Registry &registry = GameRegistryContents::contents();
    if (!registry.gameKey)
        return std::string();
    const auto found = registry.gameValues.find(name);
    if (found == registry.gameValues.end() || found->second.kind != kind)
        return std::string();
    if (kind == GameValueKind::Number)
        return std::to_string(std::int32_t(found->second.number));
    if (found->second.text.size() > maxGameTextUnits)
        return std::string();
    return narrowText(found->second.text.substr(0, found->second.text.find(u'\0')));
}

bool writeGameDword(const std::wstring &name, std::uint32_t value)
{
    std::unique_lock<std::mutex> lock(GameRegistryContents::mutex());
    waitWhileHeld(lock);
    Registry &registry = GameRegistryContents::contents();
    if (!registry.gameKey || registry.writesFail)
        return false;
    registry.gameValues[name] = {GameValueKind::Number, std::u16string(), value};
    return true;
}

std::string readProgramFilesX86()
{
    std::lock_guard<std::mutex> lock(GameRegistryContents::mutex());
    const std::u16string &programFiles = GameRegistryContents::contents().programFilesX86;
    if (programFiles.size() > maxGameTextUnits)
        return std::string();
    return narrowText(programFiles);
}

bool waitsForWine()
{
    std::lock_guard<std::mutex> lock(GameRegistryContents::mutex());
    return GameRegistryContents::contents().throughWine;
}

} // namespace GameRegistryContents
