#pragma once

// The registry the tests hand to the program, and what they put into it: off Windows one in
// memory, on Windows the real registry of a throwaway Wine prefix.

#include "gameregistry.h"
#include "testsupport.h"

#include <cstdint>
#include <string>

namespace GameRegistryStandIn
{

// The one to hand to a window or a ConfigStore.
const GameRegistry &registry();
// Empty when the controls below may be used here; otherwise why not, for the test to skip.
std::string unusableReason();
void reset();
void createGameKey();
void removeGameKey();
void setGameString(const std::wstring &name, const std::u16string &value); // creates the key
void setGameDword(const std::wstring &name, std::uint32_t value);          // creates the key
// The stored DWORD, or -1 when the key or the value is missing or not a DWORD.
std::int64_t gameDword(const std::wstring &name);
bool hasGameKey();
void setProgramFilesX86(const std::u16string &value); // empty: no entry
void setWritesFail(bool fail);                        // as if access were denied
// As if a Wine server held the registry: the window must not wait for its calls. Off Windows
// only (unusableReason says so elsewhere).
void setThroughWine(bool throughWine);
// While held, every read and write waits; `callsHeld` tells how many do now.
void holdCalls(bool hold);
int callsHeld();

} // namespace GameRegistryStandIn

// For a test function that sets the registry: skips it where that may not be done.
#define RUNEMOUNT_NEEDS_REGISTRY_CONTROL()                                                         \
    do {                                                                                           \
        const std::string unusable = GameRegistryStandIn::unusableReason();                        \
        if (!unusable.empty())                                                                     \
            RUNEMOUNT_SKIP(unusable.c_str());                                                      \
    } while (false)
