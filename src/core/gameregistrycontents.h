#pragma once

// Off Windows the registry is the game's Wine prefix. For tests an in-memory stand-in plays the
// game's key and the system's Program Files entry instead, so that every caller's path can be
// exercised; it starts like a machine without the game: no key, no Program Files (x86) entry.
// Only tests choose and fill it; the program never does.

#include "gameregistry.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace GameRegistryContents
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
    bool writesFail = false;  // as if access were denied
    bool throughWine = false; // as if a Wine server held the registry: calls may wait
    bool holdCalls = false;   // reads and writes wait until this is cleared
    int callsHeld = 0;
};

// The real registry is process-wide and thread-safe; so is its stand-in: `contents` is read
// and changed only while `mutex` is held.
std::mutex &mutex();
Registry &contents();
// Notified when `holdCalls` is cleared.
std::condition_variable &callsReleased();

// Whether the registry operations answer from the stand-in rather than from a Wine prefix.
void chooseStandIn(bool chosen);
bool standInChosen();

// The registry operations, answered by the stand-in.
std::string readGameValue(const std::wstring &name, GameValueKind kind);
bool writeGameDword(const std::wstring &name, std::uint32_t value);
std::string readProgramFilesX86();
bool waitsForWine();

} // namespace GameRegistryContents
