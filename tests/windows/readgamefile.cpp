// Reads one file as a Windows program finds it, the way the game does: by a name relative to
// its working folder, which Windows and Wine match regardless of case. Prints the bytes; exits
// 1 when the file cannot be opened. Built with MinGW and run under Wine by case-under-wine.sh.

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
        return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        std::fwrite(buffer, 1, got, stdout);
    CloseHandle(file);
    return 0;
}
