#include "gameregistrycontents.h"
#include "gameregistrystandin.h"

using GameRegistryContents::Registry;

namespace
{

// Runs `change` on the stand-in's contents with its lock held.
template <typename Change> auto withContents(Change change)
{
    std::lock_guard<std::mutex> lock(GameRegistryContents::mutex());
    return change(GameRegistryContents::contents());
}

} // namespace

namespace GameRegistryStandIn
{

std::string unusableReason()
{
    return std::string();
}

void reset()
{
    withContents([](Registry &registry) {
        const int held = registry.callsHeld;
        registry = Registry();
        registry.callsHeld = held;
    });
    GameRegistryContents::callsReleased().notify_all();
}

void createGameKey()
{
    withContents([](Registry &registry) { registry.gameKey = true; });
}

void removeGameKey()
{
    withContents([](Registry &registry) {
        registry.gameKey = false;
        registry.gameValues.clear();
    });
}

void setGameString(const std::wstring &name, const std::u16string &value)
{
    withContents([&](Registry &registry) {
        registry.gameKey = true;
        registry.gameValues[name] = {GameValueKind::Text, value, 0};
    });
}

void setGameDword(const std::wstring &name, std::uint32_t value)
{
    withContents([&](Registry &registry) {
        registry.gameKey = true;
        registry.gameValues[name] = {GameValueKind::Number, std::u16string(), value};
    });
}

std::int64_t gameDword(const std::wstring &name)
{
    return withContents([&](const Registry &registry) -> std::int64_t {
        if (!registry.gameKey)
            return -1;
        const auto found = registry.gameValues.find(name);
        if (found == registry.gameValues.end() || found->second.kind != GameValueKind::Number)
            return -1;
        return found->second.number;
    });
}

bool hasGameKey()
{
    return withContents([](const Registry &registry) { return registry.gameKey; });
}

void setProgramFilesX86(const std::u16string &value)
{
    withContents([&](Registry &registry) { registry.programFilesX86 = value; });
}

void setWritesFail(bool fail)
{
    withContents([&](Registry &registry) { registry.writesFail = fail; });
}

void setThroughWine(bool throughWine)
{
    withContents([&](Registry &registry) { registry.throughWine = throughWine; });
}

void holdCalls(bool hold)
{
    withContents([&](Registry &registry) { registry.holdCalls = hold; });
    GameRegistryContents::callsReleased().notify_all();
}

int callsHeld()
{
    return withContents([](const Registry &registry) { return registry.callsHeld; });
}

} // namespace GameRegistryStandIn
