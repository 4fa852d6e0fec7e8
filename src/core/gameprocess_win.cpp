// On Windows: the system's snapshot of processes, and the image each one runs.
#include "gameprocess.h"

#include <QDir>
#include <QString>

#include <windows.h>

#include <tlhelp32.h>

namespace
{

// The image `pid` runs, as a path; empty when the process cannot be asked (one of another
// user, or run as administrator while this program is not).
QString imageOf(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return QString();
    wchar_t path[32768];
    DWORD size = DWORD(sizeof path / sizeof path[0]);
    const bool known = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    return known ? QDir::fromNativeSeparators(QString::fromWCharArray(path, int(size))) : QString();
}

} // namespace

namespace GameProcess
{

bool runsFrom(const QString &gameFolder)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (bool more = Process32FirstW(snapshot, &entry) != 0; more && !running;
         more = Process32NextW(snapshot, &entry) != 0) {
        if (!isExecutableName(QString::fromWCharArray(entry.szExeFile)))
            continue;
        const QString image = imageOf(entry.th32ProcessID);
        // One whose image cannot be read may be the game run as administrator: its files may
        // be open all the same.
        running = image.isEmpty() || isGameExecutable(image, gameFolder);
    }
    CloseHandle(snapshot);
    return running;
}

} // namespace GameProcess
