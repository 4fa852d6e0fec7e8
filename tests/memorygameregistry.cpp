#include "memorygameregistry.h"

void MemoryGameRegistry::waitWhileHeld(std::unique_lock<std::mutex> &lock) const
{
    ++contents.callsHeld;
    callsReleased.wait(lock, [this] { return !contents.holdCalls; });
    --contents.callsHeld;
}

std::string MemoryGameRegistry::readGameValue(const std::string &, const std::wstring &name,
                                              GameValueKind kind) const
{
    std::unique_lock<std::mutex> lock(mutex);
    waitWhileHeld(lock);
    if (!contents.gameKey)
        return std::string();
    const auto found = contents.gameValues.find(name);
    if (found == contents.gameValues.end() || found->second.kind != kind)
        return std::string();
    if (kind == GameValueKind::Number)
        return std::to_string(std::int32_t(found->second.number));
    if (found->second.text.size() > maxGameTextUnits)
        return std::string();
    return narrowText(found->second.text.substr(0, found->second.text.find(u'\0')));
}

bool MemoryGameRegistry::writeGameDword(const std::string &, const std::wstring &name,
                                        std::uint32_t value) const
{
    std::unique_lock<std::mutex> lock(mutex);
    waitWhileHeld(lock);
    if (!contents.gameKey || contents.writesFail)
        return false;
    contents.gameValues[name] = {GameValueKind::Number, std::u16string(), value};
    return true;
}

std::string MemoryGameRegistry::readProgramFilesX86(const std::string &) const
{
    std::lock_guard<std::mutex> lock(mutex);
    if (contents.programFilesX86.size() > maxGameTextUnits)
        return std::string();
    return narrowText(contents.programFilesX86);
}

bool MemoryGameRegistry::waitsForWine(const std::string &) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return contents.throughWine;
}
