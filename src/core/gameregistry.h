#pragma once

// The program's only contact with the game's registry key. Plain standard types only, so that
// the Windows implementation compiles and can be checked on its own.

#include <cstddef>
#include <cstdint>
#include <string>

// The registry's own type codes.
enum class GameValueKind { Text = 1, Number = 4 };

// A value of the game's key under the current user: text as UTF-8, a number as signed decimal
// text. The empty text when the key or value cannot be read or does not fit 1024 bytes. Off
// Windows the game's folders ("GamePath", "InstallPath") come as the paths they name here.
std::string readGameValue(const std::wstring &name, GameValueKind kind);
// The longest text that fits those 1024 bytes: UTF-16 units before the terminating NUL.
constexpr std::size_t maxGameTextUnits = 511;

// Stores a REG_DWORD in the game's key; false when the key is missing (it is never created)
// or the write fails.
bool writeGameDword(const std::wstring &name, std::uint32_t value);

// Reading or writing the game's options waits for another process (off Windows: Wine's `reg`,
// while a Wine server runs for the prefix and holds its registry), up to `gameCallLimitMs`: such
// calls belong off the window's thread. Where false they cost no more than a file read.
bool gameOptionsWaitForWine();
constexpr int gameCallLimitMs = 20000;

// The system's Program Files (x86) folder as UTF-8 (off Windows, as the path it names here), or
// the empty text.
std::string readProgramFilesX86();

// Off Windows the registry is that of the Wine prefix holding the game folder (UTF-8), or of
// Wine's standard prefix while the folder lies in none. Windows has one registry for all.
void useGameFolder(const std::string &gameFolder);

// UTF-16 to UTF-8. ASCII passes unchanged; an unpaired surrogate becomes U+FFFD.
std::string narrowText(const std::u16string &text);
