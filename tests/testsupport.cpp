#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>
#endif

namespace TestSupport
{

namespace
{

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size() && file.flush();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QByteArray readText(const QString &path)
{
    QByteArray content = readFile(path);
#ifdef Q_OS_WIN
    content.replace("\r\n", "\n");
#endif
    return content;
}

bool runningUnderWine()
{
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

QString linksUnavailableReason()
{
    static const QString reason = [] {
        if (!runningUnderWine())
            return QString();
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        const QString link = dir.filePath("link");
        std::error_code error;
        if (dir.isValid() && writeFile(target, "x"))
            std::filesystem::create_symlink(QFile::encodeName(target).toStdString(),
                                            QFile::encodeName(link).toStdString(), error);
        if (QFileInfo(link).isSymLink())
            return QString();
        return QString("this Wine makes no symbolic links (CreateSymbolicLinkW reports success "
                       "and makes none)");
    }();
    return reason;
}

QStringList entryNames(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

#ifdef Q_OS_WIN
namespace
{

// Qt runs timers of less than 20 ms on the system's multimedia timer thread, which comes and
// goes with them: it is the system's, never one of ours.
bool isSystemTimerThread(DWORD id)
{
    using QueryThread = LONG(WINAPI *)(HANDLE, int, PVOID, ULONG, PULONG);
    // Through a plain function pointer type, which any function pointer may be cast to.
    static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    const HMODULE timers = GetModuleHandleW(L"winmm.dll");
    const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    if (!query || !timers || !thread) {
        if (thread)
            CloseHandle(thread);
        return false;
    }
    const int startAddress = 9; // ThreadQuerySetWin32StartAddress
    PVOID start = nullptr;
    HMODULE module = nullptr;
    const bool known =
        query(thread, startAddress, &start, sizeof start, nullptr) == 0 &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(start), &module);
    CloseHandle(thread);
    return known && module == timers;
}

} // namespace
#endif

int liveThreadCount()
{
#ifdef Q_OS_WIN
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = GetCurrentProcessId();
    int threads = 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (bool more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        threads += entry.th32OwnerProcessID == self && !isSystemTimerThread(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
#else
    return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
#endif
}

NormalUser::NormalUser(const QString &folder, const QString &leftToRoot)
{
#ifdef Q_OS_UNIX
    // "nobody" on the usual systems.
    const uid_t user = 65534;
    const gid_t group = 65534;
    if (::geteuid() != 0)
        return;
    std::error_code error;
    const std::filesystem::path kept = utf8(QDir::cleanPath(leftToRoot));
    for (auto walk = std::filesystem::recursive_directory_iterator(utf8(folder), error);
         !error && walk != std::filesystem::recursive_directory_iterator(); walk.increment(error)) {
        if (!leftToRoot.isEmpty() && walk->path() == kept) {
            walk.disable_recursion_pending();
            continue;
        }
        if (::lchown(walk->path().c_str(), user, group) != 0)
            return;
    }
    if (error || ::lchown(utf8(folder).c_str(), user, group) != 0)
        return;
    switched = ::setegid(group) == 0 && ::seteuid(user) == 0;
#else
    (void)folder;
#endif
}

NormalUser::~NormalUser()
{
#ifdef Q_OS_UNIX
    if (switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
        std::abort(); // every later test would run as the wrong user
#endif
}

Immutable::Immutable(const QString &entry) : path(entry)
{
    applied = run("chattr", {"+i", path});
}

Immutable::~Immutable()
{
    if (applied)
        run("chattr", {"-i", path});
}

TinyDisk::TinyDisk(const QString &mountPoint, int kilobytes, int inodes) : folder(mountPoint)
{
    QString options = QString("size=%1k").arg(kilobytes);
    if (inodes > 0)
        options += QString(",nr_inodes=%1").arg(inodes);
    mounted =
        QDir().mkpath(folder) && run("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder});
}

TinyDisk::~TinyDisk()
{
    if (mounted)
        run("umount", {folder});
}

} // namespace TestSupport
