#pragma once

// What the tests put into the registry the program reads: off Windows its in-memory stand-in.

#include <cstdint>
#include <string>

namespace GameRegistryStandIn
{

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

} // namespace GameRegistryStandIn
