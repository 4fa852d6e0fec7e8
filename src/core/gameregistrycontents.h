#pragma once

// Off Windows there is no registry. An in-memory stand-in plays the game's key and the
// system's Program Files entry, so that every caller's path can be exercised; it starts like a
// machine without the game: no key, no Program Files (x86) entry. Only tests fill it.

#include "gameregistry.h"

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
    bool writesFail = false; // as if access were denied
};

// The real registry is process-wide and thread-safe; so is its stand-in: `contents` is read
// and changed only while `mutex` is held.
std::mutex &mutex();
Registry &contents();

} // namespace GameRegistryContents
