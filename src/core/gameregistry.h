#pragma once

// The program's only contact with the game's registry key. Plain standard types only, so that
// the Windows implementation compiles and can be checked on its own.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

// The registry's own type codes.
enum class GameValueKind { Text = 1, Number = 4 };

// The game's two options the window switches; each a DWORD of the game's key.
enum class GameOption { AllowLocalFiles, PreferredGameVersion };
constexpr GameOption gameOptions[] = {GameOption::AllowLocalFiles,
                                      GameOption::PreferredGameVersion};
// Each option's stored number as signed decimal text, empty where it could not be read.
using GameOptionValues = std::map<GameOption, std::string>;

// The longest text that fits the 1024 bytes a value may take: UTF-16 units before the
// terminating NUL.
constexpr std::size_t maxGameTextUnits = 511;
// The longest a call waits for another process (see waitsForWine).
constexpr int gameCallLimitMs = 20000;

// The registry the game reads its key from. Every call may come from any thread, two at once.
//
// Off Windows the game runs under Wine, and the registry is that of the Wine prefix holding
// `gameFolder` (UTF-8), or of Wine's standard prefix while the folder is empty or lies in none.
// Windows has one registry for all and ignores the folder.
class GameRegistry
{
public:
    virtual ~GameRegistry() = default;

    // The registry the game itself reads on this system.
    static std::unique_ptr<GameRegistry> system();

    // A value of the game's key under the current user: text as UTF-8, a number as signed
    // decimal text. The empty text when the key or value cannot be read or does not fit 1024
    // bytes. Off Windows the game's folders ("GamePath", "InstallPath") come as the paths they
    // name here.
    virtual std::string readGameValue(const std::string &gameFolder, const std::wstring &name,
                                      GameValueKind kind) const = 0;
    // Stores a REG_DWORD in the game's key; false when the key is missing (it is never
    // created) or the write fails.
    virtual bool writeGameDword(const std::string &gameFolder, const std::wstring &name,
                                std::uint32_t value) const = 0;
    // The system's Program Files (x86) folder as UTF-8 (off Windows, as the path it names
    // here), or the empty text.
    virtual std::string readProgramFilesX86(const std::string &gameFolder) const = 0;
    // Reading or writing the game's options waits for another process (off Windows: Wine's
    // `reg`, while a Wine server runs for the prefix and holds its registry), up to
    // `gameCallLimitMs`: such calls belong off the window's thread. Where false they cost no
    // more than a file read.
    virtual bool waitsForWine(const std::string &gameFolder) const = 0;

    // Both options at once, where the registry can give them for the price of one.
    virtual GameOptionValues readOptions(const std::string &gameFolder) const;
    std::string readOption(const std::string &gameFolder, GameOption option) const;
    bool writeOption(const std::string &gameFolder, GameOption option, bool on) const;
    // The option's value in the game's key.
    static std::wstring valueName(GameOption option);
};

// UTF-16 to UTF-8. ASCII passes unchanged; an unpaired surrogate becomes U+FFFD.
std::string narrowText(const std::u16string &text);
