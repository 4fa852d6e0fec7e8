// Off Windows the tests hand the program a registry in memory: none of them may read or change
// the Wine prefix of the machine it runs on.
#include "gameregistrystandin.h"
#include "memorygameregistry.h"

using Registry = MemoryGameRegistry::Contents;

namespace
{

MemoryGameRegistry &standIn()
{
    static MemoryGameRegistry memory;
    return memory;
}

// Runs `change` on the stand-in's contents with its lock held.
template <typename Change> auto withContents(Change change)
{
    return standIn().with(change);
}

} // namespace

namespace GameRegistryStandIn
{

const GameRegistry &registry()
{
    return standIn();
}

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
    standIn().releaseCalls();
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
    standIn().releaseCalls();
}

int callsHeld()
{
    return withContents([](const Registry &registry) { return registry.callsHeld; });
}

} // namespace GameRegistryStandIn
