// Checks the Windows seams (registry access, symbolic and hard links) on a real Windows API: built
// with MinGW and run under Wine by check-under-wine.sh, or on Windows itself. Plain C++ and Win32;
// prints one line per case and exits non-zero if any case failed.

#include "entrycalls.h"
#include "gameregistry.h"
#include "hardlink.h"
#include "symboliclink.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{

const wchar_t gameKeyPath[] = L"Software\\Blizzard Entertainment\\Warcraft III";
int failures = 0;

// The registry as the program gets it; on Windows no game folder changes what it reads.
const GameRegistry &registry()
{
    static const std::unique_ptr<GameRegistry> system = GameRegistry::system();
    return *system;
}

std::string readGameValue(const std::wstring &name, GameValueKind kind)
{
    return registry().readGameValue(std::string(), name, kind);
}

bool writeGameDword(const std::wstring &name, std::uint32_t value)
{
    return registry().writeGameDword(std::string(), name, value);
}

std::string readProgramFilesX86()
{
    return registry().readProgramFilesX86(std::string());
}

void report(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok)
        ++failures;
}

void skip(const char *what, const char *why)
{
    std::printf("SKIP: %s (%s)\n", what, why);
}

bool runningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool gameKeyExists()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void setString(HKEY key, const wchar_t *name, const std::wstring &value)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void setDword(HKEY key, const wchar_t *name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void checkRegistry()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, gameKeyPath);

    report(readGameValue(L"GamePath", GameValueKind::Text).empty() &&
               readGameValue(L"InstallPath", GameValueKind::Text).empty(),
           "no game key: both string reads give the empty text");
    report(readGameValue(L"Allow Local Files", GameValueKind::Number).empty() &&
               readGameValue(L"Preferred Game Version", GameValueKind::Number).empty(),
           "no game key: both DWORD reads give the empty text");
    report(!writeGameDword(L"Allow Local Files", 1), "no game key: writeGameDword gives false");
    report(!gameKeyExists(), "no game key: writeGameDword did not create the key");

    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, gameKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        report(false, "the test could create the game key");
        return;
    }
    const struct {
        DWORD value;
        const char *text;
    } numbers[] = {{0, "0"}, {1, "1"}, {2, "2"}, {0xFFFFFFFFu, "-1"}};
    for (const auto &number : numbers) {
        setDword(key, L"Preferred Game Version", number.value);
        const std::string read = readGameValue(L"Preferred Game Version", GameValueKind::Number);
        const std::string what = "DWORD " + std::to_string(number.value) + " reads as \"" +
                                 number.text + "\" (got \"" + read + "\")";
        report(read == number.text, what.c_str());
    }

    setString(key, L"GamePath", std::wstring(600, L'a'));
    report(readGameValue(L"GamePath", GameValueKind::Text).empty(),
           "a 600-character string reads as empty");
    setString(key, L"GamePath", std::wstring(511, L'b'));
    report(readGameValue(L"GamePath", GameValueKind::Text) == std::string(511, 'b'),
           "a 511-character string still reads whole");

    setString(key, L"InstallPath", L"C:\\Games\\Warcraft III");
    report(readGameValue(L"InstallPath", GameValueKind::Text) == "C:\\Games\\Warcraft III",
           "a path with backslashes comes back with backslashes");

    setString(key, L"GamePath", L"D:\\Spiele\\J\u00fcrgen\\\u9b54\u517d \U0001F600");
    report(readGameValue(L"GamePath", GameValueKind::Text) ==
               "D:\\Spiele\\J\xc3\xbcrgen\\\xe9\xad\x94\xe5\x85\xbd \xf0\x9f\x98\x80",
           "a path with non-ASCII letters comes back as UTF-8");

    report(writeGameDword(L"Allow Local Files", 1), "writeGameDword gives true on the game key");
    DWORD type = 0, data = 0, size = sizeof data;
    const LONG status = RegQueryValueExW(key, L"Allow Local Files", nullptr, &type,
                                         reinterpret_cast<BYTE *>(&data), &size);
    report(status == ERROR_SUCCESS && type == REG_DWORD && size == 4 && data == 1,
           "writeGameDword stores a 4-byte REG_DWORD");
    const GameOptionValues options = registry().readOptions(std::string());
    report(options.at(GameOption::AllowLocalFiles) == "1" &&
               options.at(GameOption::PreferredGameVersion) == "-1",
           "readOptions reads both options");
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, gameKeyPath);

    wchar_t expected[512] = {};
    DWORD expectedSize = sizeof expected;
    HKEY system;
    std::string expectedUtf8;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &system) == ERROR_SUCCESS) {
        if (RegQueryValueExW(system, L"ProgramFilesDir (x86)", nullptr, nullptr,
                             reinterpret_cast<BYTE *>(expected), &expectedSize) == ERROR_SUCCESS)
            expectedUtf8 = narrowText(std::u16string(reinterpret_cast<const char16_t *>(expected)));
        RegCloseKey(system);
    }
    const std::string programFiles = readProgramFilesX86();
    const std::string what =
        "readProgramFilesX86 reads the system value (\"" + programFiles + "\")";
    report(!programFiles.empty() && programFiles == expectedUtf8, what.c_str());
}

std::wstring tempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder =
        std::wstring(base) + L"runemount-seamcheck-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool isLink(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string readThrough(const std::wstring &path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

void checkLinks()
{
    const std::wstring folder = tempFolder();
    const std::wstring targetFile = folder + L"\\war3.mpq";
    const std::wstring targetFolder = folder + L"\\Maps";
    const HANDLE file = CreateFileW(targetFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "mod data", 8, &written, nullptr);
    CloseHandle(file);
    CreateDirectoryW(targetFolder.c_str(), nullptr);
    const HANDLE inner = CreateFileW((targetFolder + L"\\a.w3x").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    WriteFile(inner, "map", 3, &written, nullptr);
    CloseHandle(inner);

    const std::wstring fileLink = folder + L"\\linked.mpq";
    const std::wstring folderLink = folder + L"\\LinkedMaps";
    const bool wine = runningUnderWine();
    struct Case {
        const std::wstring &link;
        const std::wstring &target;
        bool directory;
        const char *name;
        const wchar_t *throughLink;
        const char *content;
    };
    const Case cases[] = {{fileLink, targetFile, false, "file link", L"", "mod data"},
                          {folderLink, targetFolder, true, "directory link", L"\\a.w3x", "map"}};
    bool anyLinkMade = false;
    for (const Case &c : cases) {
        const SymbolicLink::Creation outcome = SymbolicLink::create(c.link, c.target, c.directory);
        const bool created = outcome == SymbolicLink::Creation::Created;
        const bool present = isLink(c.link);
        if (wine && !present) {
            // Wine reports success from CreateSymbolicLinkW without making a link; the seam
            // says links are refused here, so that a mount can offer hard links instead.
            std::string what =
                std::string("the ") + c.name + " seam reports a refusal when no link appears";
            report(outcome == SymbolicLink::Creation::Refused, what.c_str());
            what = std::string("creating a ") + c.name;
            skip(what.c_str(), "this Wine's CreateSymbolicLinkW makes no link");
            continue;
        }
        anyLinkMade = true;
        std::string what = std::string("a ") + c.name + " is created";
        report(created && present, what.c_str());
        const bool isDirectory = GetFileAttributesW(c.link.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
        what = std::string("the ") + c.name + " has the right kind";
        report(isDirectory == c.directory, what.c_str());
        what = std::string("the ") + c.name + " points to its target";
        report(readThrough(c.link + c.throughLink) == c.content, what.c_str());
    }
    for (const Case &c : cases) {
        if (!isLink(c.link))
            continue;
        const bool removed = SymbolicLink::remove(c.link);
        const bool gone = GetFileAttributesW(c.link.c_str()) == INVALID_FILE_ATTRIBUTES;
        std::string what = std::string("removing the ") + c.name;
        if (!removed && wine) {
            skip(what.c_str(), "Wine does not remove links with DeleteFileW/RemoveDirectoryW");
            continue;
        }
        what += " removes the link";
        report(removed && gone, what.c_str());
    }
    if (!anyLinkMade)
        skip("removing links", "no link could be made here to remove");
    // Whatever became of the links, their targets must be whole.
    report(readThrough(targetFile) == "mod data" && readThrough(targetFolder + L"\\a.w3x") == "map",
           "the link targets are untouched");
}

void writeText(const std::wstring &path, const char *text)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text, DWORD(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}

void checkEntryCalls()
{
    using EntryCalls::RemoveFolder;
    using EntryCalls::Rename;
    const std::wstring folder = tempFolder() + L"\\calls";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring game = folder + L"\\war3.mpq";
    const std::wstring mod = folder + L"\\mod.mpq";
    writeText(game, "game");
    writeText(mod, "mod");

    report(EntryCalls::renameWithoutReplacing(mod, game) == Rename::TargetTaken,
           "a rename onto an existing file says the target is taken");
    report(readThrough(game) == "game" && readThrough(mod) == "mod", "and changes neither file");
    const std::wstring aside = folder + L"\\war3.mpq.oxdbackup";
    report(EntryCalls::renameWithoutReplacing(game, aside) == Rename::Done &&
               readThrough(aside) == "game" &&
               GetFileAttributesW(game.c_str()) == INVALID_FILE_ATTRIBUTES,
           "a rename to a free name moves the file");
    report(EntryCalls::renameWithoutReplacing(folder + L"\\absent", folder + L"\\x") ==
               Rename::NotFound,
           "a rename of a missing entry says so");
    report(EntryCalls::renameWithoutReplacing(mod, folder + L"\\no folder\\mod.mpq") ==
               Rename::NotFound,
           "a rename into a missing folder says so");

    const std::wstring copied = folder + L"\\copied.mpq";
    const std::atomic<bool> running{false};
    report(EntryCalls::copyFile(mod, copied, running) == EntryCalls::Copy::Done &&
               readThrough(copied) == "mod" && readThrough(mod) == "mod",
           "a copy to a free name makes a second file with the same content");
    report(EntryCalls::copyFile(aside, copied, running) == EntryCalls::Copy::TargetTaken &&
               readThrough(copied) == "mod",
           "a copy onto an existing file says the target is taken and leaves it");
    report(EntryCalls::copyFile(mod, folder + L"\\no folder\\copied.mpq", running) ==
               EntryCalls::Copy::FolderMissing,
           "a copy into a missing folder says so");
    const std::wstring stopped = folder + L"\\stopped.mpq";
    const std::atomic<bool> aborted{true};
    report(EntryCalls::copyFile(mod, stopped, aborted) == EntryCalls::Copy::Aborted &&
               GetFileAttributesW(stopped.c_str()) == INVALID_FILE_ATTRIBUTES,
           "an aborted copy says so and leaves nothing");

    const std::wstring empty = folder + L"\\Empty";
    const std::wstring full = folder + L"\\Full";
    CreateDirectoryW(empty.c_str(), nullptr);
    CreateDirectoryW(full.c_str(), nullptr);
    writeText(full + L"\\a.w3x", "map");
    report(EntryCalls::removeFolder(full) == RemoveFolder::NotEmpty &&
               readThrough(full + L"\\a.w3x") == "map",
           "a folder that holds a file is not removed");
    report(EntryCalls::removeFolder(empty) == RemoveFolder::Done &&
               GetFileAttributesW(empty.c_str()) == INVALID_FILE_ATTRIBUTES,
           "an empty folder is removed");
    report(EntryCalls::removeFolder(empty) == RemoveFolder::NotFound,
           "a folder that is gone says so");
}

void checkHardLinks()
{
    using HardLink::Creation;
    const std::wstring folder = tempFolder() + L"\\hard";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring mod = folder + L"\\mod.mpq";
    const std::wstring other = folder + L"\\other.mpq";
    const std::wstring link = folder + L"\\war3.mpq";
    writeText(mod, "mod");
    writeText(other, "other");

    report(HardLink::create(link, mod) == Creation::Created && readThrough(link) == "mod",
           "a hard link is created and reads as the file");
    // Identities are compared as the program compares them: each read through its own path.
    const HardLink::Identity throughLink = HardLink::identityOf(link);
    report(HardLink::sameFile(throughLink, HardLink::identityOf(mod)),
           "both names of the file have one identity");
    report(throughLink.known && !HardLink::sameFile(throughLink, HardLink::identityOf(other)),
           "another file has another identity");
    report(!HardLink::identityOf(folder + L"\\absent").known, "nothing has no identity");
    report(HardLink::create(link, other) == Creation::TargetTaken && readThrough(link) == "mod",
           "a hard link onto an existing name says the target is taken and leaves it");
    report(HardLink::create(folder + L"\\no folder\\x.mpq", mod) == Creation::Failed,
           "a hard link into a missing folder fails");
    report(HardLink::remove(link) && GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES &&
               readThrough(mod) == "mod",
           "removing the hard link leaves the other name and the content");

    // Another drive: a letter mapped to another Linux file system under Wine.
    const wchar_t *otherDrive = _wgetenv(L"RUNEMOUNT_OTHER_DRIVE");
    if (!otherDrive || !*otherDrive) {
        skip("a hard link to another drive", "no RUNEMOUNT_OTHER_DRIVE given");
        return;
    }
    const std::wstring across = std::wstring(otherDrive) + L"\\runemount-seamcheck-" +
                                std::to_wstring(GetCurrentProcessId()) + L".mpq";
    report(HardLink::create(across, mod) == Creation::OtherDevice &&
               GetFileAttributesW(across.c_str()) == INVALID_FILE_ATTRIBUTES,
           "a hard link to another drive says so and makes nothing");
}

} // namespace

int main()
{
    std::printf("Windows seam check%s\n", runningUnderWine() ? " under Wine" : "");
    checkRegistry();
    checkLinks();
    checkEntryCalls();
    checkHardLinks();
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
