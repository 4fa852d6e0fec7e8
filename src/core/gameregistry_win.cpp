// Windows registry access. Built only on Windows; plain standard types and the Win32 API.
#include "gameregistry.h"

#include <windows.h>

#include <cstring>

namespace
{

const wchar_t gameKeyPath[] = L"Software\\Blizzard Entertainment\\Warcraft III";
const wchar_t systemKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr DWORD bufferBytes = 1024;

// The string up to its first NUL, within the bytes the query returned.
std::string stringFromData(const BYTE *data, DWORD size)
{
    const DWORD units = size / sizeof(char16_t);
    std::u16string text;
    text.reserve(units);
    for (DWORD i = 0; i < units; ++i) {
        char16_t unit;
        std::memcpy(&unit, data + i * sizeof(char16_t), sizeof unit);
        if (unit == 0)
            break;
        text += unit;
    }
    return narrowText(text);
}

// One value of a key into a 1024-byte buffer; the key is closed again before returning.
bool queryValue(HKEY root, const wchar_t *keyPath, const wchar_t *valueName, BYTE *data,
                DWORD &size, DWORD &type)
{
    HKEY key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    size = bufferBytes;
    const bool read =
        RegQueryValueExW(key, valueName, nullptr, &type, data, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read;
}

std::string readString(HKEY root, const wchar_t *keyPath, const wchar_t *valueName)
{
    BYTE data[bufferBytes];
    DWORD size = 0, type = 0;
    if (queryValue(root, keyPath, valueName, data, size, type) &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        return stringFromData(data, size);
    return std::string();
}

std::string readNumber(const wchar_t *valueName)
{
    BYTE data[bufferBytes];
    DWORD size = 0, type = 0;
    if (!queryValue(HKEY_CURRENT_USER, gameKeyPath, valueName, data, size, type) ||
        type != REG_DWORD || size < sizeof(std::int32_t))
        return std::string();
    std::int32_t number;
    std::memcpy(&number, data, sizeof number);
    return std::to_string(number);
}

// Windows' own registry: one for the whole system, safe to call from any thread.
class WindowsRegistry : public GameRegistry
{
public:
    std::string readGameValue(const std::string &gameFolder, const std::wstring &name,
                              GameValueKind kind) const override;
    bool writeGameDword(const std::string &gameFolder, const std::wstring &name,
                        std::uint32_t value) const override;
    std::string readProgramFilesX86(const std::string &gameFolder) const override;
    bool waitsForWine(const std::string &gameFolder) const override;
};

} // namespace

std::unique_ptr<GameRegistry> GameRegistry::system()
{
    return std::make_unique<WindowsRegistry>();
}

std::string WindowsRegistry::readGameValue(const std::string &, const std::wstring &name,
                                           GameValueKind kind) const
{
    switch (kind) {
    case GameValueKind::Text:
        return readString(HKEY_CURRENT_USER, gameKeyPath, name.c_str());
    case GameValueKind::Number:
        return readNumber(name.c_str());
    }
    return std::string();
}

bool WindowsRegistry::writeGameDword(const std::string &, const std::wstring &name,
                                     std::uint32_t value) const
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const DWORD data = value;
    const LONG status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                                       reinterpret_cast<const BYTE *>(&data), sizeof data);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string WindowsRegistry::readProgramFilesX86(const std::string &) const
{
    return readString(HKEY_LOCAL_MACHINE, systemKeyPath, L"ProgramFilesDir (x86)");
}

bool WindowsRegistry::waitsForWine(const std::string &) const
{
    return false; // the registry answers in microseconds
}
