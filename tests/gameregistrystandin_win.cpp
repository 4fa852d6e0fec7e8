// On Windows the tests set the real registry: the game's key under the current user, and the
// machine's Program Files entry. Only in a throwaway Wine prefix: on any other Windows every
// change is left out, so that no test can touch a player's own settings.
#include "gameregistrystandin.h"
#include "testsupport.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace
{

const wchar_t gameKeyPath[] = L"Software\\Blizzard Entertainment\\Warcraft III";
const wchar_t systemKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const wchar_t programFilesX86Name[] = L"ProgramFilesDir (x86)";

bool writesRefused = false;

// Everyone may do anything with the key, or anything but set its values.
void setKeyAccess(bool refuseValues)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        const DWORD aceBytes = sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone);
        std::vector<BYTE> buffer(sizeof(ACL) + 2 * aceBytes);
        PACL acl = reinterpret_cast<PACL>(buffer.data());
        InitializeAcl(acl, DWORD(buffer.size()), ACL_REVISION);
        // A denying entry must come before the allowing one to count.
        if (refuseValues)
            AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
        AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
        FreeSid(everyone);
    }
    RegCloseKey(key);
}

// Runs a change of the test's own with the key writable, then refuses writes again if the
// test asked for that.
template <typename Change> void asTheTest(Change change)
{
    if (writesRefused)
        setKeyAccess(false);
    change();
    if (writesRefused)
        setKeyAccess(true);
}

void setGameValue(const std::wstring &name, DWORD type, const void *data, DWORD bytes)
{
    if (!TestSupport::runningUnderWine())
        return;
    asTheTest([&] {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE *>(data), bytes);
        RegCloseKey(key);
    });
}

} // namespace

namespace GameRegistryStandIn
{

const GameRegistry &registry()
{
    static const std::unique_ptr<GameRegistry> real = GameRegistry::system();
    return *real;
}

std::string unusableReason()
{
    if (TestSupport::runningUnderWine())
        return std::string();
    return "the tests set the game's registry key, which on this machine would change the "
           "player's own settings; they run only in a throwaway Wine prefix";
}

void reset()
{
    if (!TestSupport::runningUnderWine())
        return;
    setWritesFail(false);
    removeGameKey();
    setProgramFilesX86(std::u16string());
}

void createGameKey()
{
    if (!TestSupport::runningUnderWine())
        return;
    asTheTest([] {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, nullptr, 0, KEY_READ, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    });
}

void removeGameKey()
{
    if (!TestSupport::runningUnderWine())
        return;
    asTheTest([] { RegDeleteTreeW(HKEY_CURRENT_USER, gameKeyPath); });
}

void setGameString(const std::wstring &name, const std::u16string &value)
{
    setGameValue(name, REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(char16_t)));
}

void setGameDword(const std::wstring &name, std::uint32_t value)
{
    const DWORD data = value;
    setGameValue(name, REG_DWORD, &data, sizeof data);
}

std::int64_t gameDword(const std::wstring &name)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    const LONG status =
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? std::int64_t(data) : -1;
}

bool hasGameKey()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void setProgramFilesX86(const std::u16string &value)
{
    if (!TestSupport::runningUnderWine())
        return;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, systemKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (value.empty())
        RegDeleteValueW(key, programFilesX86Name);
    else
        RegSetValueExW(key, programFilesX86Name, 0, REG_SZ,
                       reinterpret_cast<const BYTE *>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

void setWritesFail(bool fail)
{
    if (!TestSupport::runningUnderWine())
        return;
    if (fail == writesRefused)
        return;
    writesRefused = fail;
    setKeyAccess(fail);
}

// Windows' registry never waits for another process: nothing to play here.
void setThroughWine(bool) {}

void holdCalls(bool) {}

int callsHeld()
{
    return 0;
}

} // namespace GameRegistryStandIn
