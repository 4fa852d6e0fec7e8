// Preloaded into the kill test's helper (LD_PRELOAD): counts the calls by which a process
// changes the disk and, with RUNEMOUNT_KILL_AFTER=N, lets the N-th of them happen and then
// kills the process on the spot, as a crash or a task manager would. Without the variable
// it writes "killshim-calls: <count>" to standard error at exit, so the test learns how many
// kill points a run has, and how many links it refused (see RUNEMOUNT_REFUSE_LINKS). Linux
// (glibc) only.

// Plain and 64-bit calls are separate symbols to interpose; this keeps the headers from
// renaming the one into the other.
#undef _FILE_OFFSET_BITS

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

// glibc declares most of these as not throwing; the definitions have to say the same.
#ifndef __THROW
#define __THROW
#endif

namespace
{

unsigned long callCount = 0;
unsigned long killAfter = 0; // 0: never
// With RUNEMOUNT_REFUSE_LINKS set, every symbolic link fails as on a FAT file system, which
// statfs then reports; set to "hard", every hard link fails instead as across two drives. The
// attempts are not counted calls, since they change nothing.
bool refuseLinks = false;
bool refuseHardLinks = false;
unsigned long refusedLinks = 0;
bool configured = false;

void configure()
{
    if (configured)
        return;
    configured = true;
    const char *value = getenv("RUNEMOUNT_KILL_AFTER");
    if (value && *value)
        killAfter = strtoul(value, nullptr, 10);
    const char *refused = getenv("RUNEMOUNT_REFUSE_LINKS");
    refuseHardLinks = refused && strcmp(refused, "hard") == 0;
    refuseLinks = refused && !refuseHardLinks;
}

// Called right after each counted call has been made.
void counted()
{
    configure();
    const unsigned long n = __atomic_add_fetch(&callCount, 1, __ATOMIC_SEQ_CST);
    if (killAfter != 0 && n == killAfter)
        kill(getpid(), SIGKILL);
}

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using WriteFunction = ssize_t (*)(int, const void *, size_t);

WriteFunction realWrite()
{
    static WriteFunction function = real<WriteFunction>("write");
    return function;
}

__attribute__((constructor)) void start()
{
    configure();
    realWrite();
}

__attribute__((destructor)) void finish()
{
    // Through the real write, so the report is not a call of its own.
    char text[96];
    const int length =
        snprintf(text, sizeof text, "\nkillshim-calls: %lu\nkillshim-refused-links: %lu\n",
                 __atomic_load_n(&callCount, __ATOMIC_SEQ_CST),
                 __atomic_load_n(&refusedLinks, __ATOMIC_SEQ_CST));
    if (length > 0 && realWrite())
        realWrite()(STDERR_FILENO, text, size_t(length));
}

} // namespace

// Each wrapper makes the real call, counts it and hands back its result and errno untouched.
#define RUNEMOUNT_COUNTED(type, call)                                                              \
    const type result = call;                                                                      \
    const int savedErrno = errno;                                                                  \
    counted();                                                                                     \
    errno = savedErrno;                                                                            \
    return result

// Opening changes the disk only when it may create or truncate a file.
bool changesTheDisk(int flags)
{
    return (flags & (O_CREAT | O_TRUNC)) != 0;
}

mode_t modeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(arguments, int))
                                                                 : 0;
}

using OpenFunction = int (*)(const char *, int, ...);
using OpenAtFunction = int (*)(int, const char *, int, ...);

// Looked up once per name.
OpenFunction realOpen(const char *name)
{
    static OpenFunction open = real<OpenFunction>("open");
    static OpenFunction open64 = real<OpenFunction>("open64");
    return strcmp(name, "open64") == 0 ? open64 : open;
}

OpenAtFunction realAt(const char *name)
{
    static OpenAtFunction openat = real<OpenAtFunction>("openat");
    static OpenAtFunction openat64 = real<OpenAtFunction>("openat64");
    return strcmp(name, "openat64") == 0 ? openat64 : openat;
}

int countedOpen(OpenFunction function, const char *path, int flags, mode_t mode)
{
    if (!changesTheDisk(flags))
        return function(path, flags, mode);
    RUNEMOUNT_COUNTED(int, function(path, flags, mode));
}

int countedOpenAt(OpenAtFunction function, int dir, const char *path, int flags, mode_t mode)
{
    if (!changesTheDisk(flags))
        return function(dir, path, flags, mode);
    RUNEMOUNT_COUNTED(int, function(dir, path, flags, mode));
}

extern "C" {

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return countedOpen(realOpen("open"), path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return countedOpen(realOpen("open64"), path, flags, mode);
}

// The forms that fortified callers reach; they never pass a mode.
int __open_2(const char *path, int flags)
{
    return countedOpen(realOpen("open"), path, flags, 0);
}

int __open64_2(const char *path, int flags)
{
    return countedOpen(realOpen("open64"), path, flags, 0);
}

int openat(int dir, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return countedOpenAt(realAt("openat"), dir, path, flags, mode);
}

int openat64(int dir, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return countedOpenAt(realAt("openat64"), dir, path, flags, mode);
}

int creat(const char *path, mode_t mode)
{
    return countedOpen(realOpen("open"), path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}

int creat64(const char *path, mode_t mode)
{
    return countedOpen(realOpen("open64"), path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}

int mkdir(const char *path, mode_t mode) __THROW
{
    static auto function = real<int (*)(const char *, mode_t)>("mkdir");
    RUNEMOUNT_COUNTED(int, function(path, mode));
}

int mkdirat(int dir, const char *path, mode_t mode) __THROW
{
    static auto function = real<int (*)(int, const char *, mode_t)>("mkdirat");
    RUNEMOUNT_COUNTED(int, function(dir, path, mode));
}

int rmdir(const char *path) __THROW
{
    static auto function = real<int (*)(const char *)>("rmdir");
    RUNEMOUNT_COUNTED(int, function(path));
}

ssize_t write(int fd, const void *buffer, size_t count)
{
    WriteFunction function = realWrite();
    if (!function) {
        errno = ENOSYS;
        return -1;
    }
    RUNEMOUNT_COUNTED(ssize_t, function(fd, buffer, count));
}

int rename(const char *from, const char *to) __THROW
{
    static auto function = real<int (*)(const char *, const char *)>("rename");
    RUNEMOUNT_COUNTED(int, function(from, to));
}

int renameat(int fromDir, const char *from, int toDir, const char *to) __THROW
{
    static auto function = real<int (*)(int, const char *, int, const char *)>("renameat");
    RUNEMOUNT_COUNTED(int, function(fromDir, from, toDir, to));
}

// A wrapper only since glibc 2.28; before that, callers reach the kernel call directly.
int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags) __THROW
{
    static auto function =
        real<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    if (function) {
        RUNEMOUNT_COUNTED(int, function(fromDir, from, toDir, to, flags));
    }
#ifdef SYS_renameat2
    RUNEMOUNT_COUNTED(int, int(syscall(SYS_renameat2, fromDir, from, toDir, to, flags)));
#else
    errno = ENOSYS;
    return -1;
#endif
}

namespace
{

bool linkRefused(bool hard = false)
{
    configure();
    if (!(hard ? refuseHardLinks : refuseLinks))
        return false;
    __atomic_add_fetch(&refusedLinks, 1, __ATOMIC_SEQ_CST);
    errno = hard ? EXDEV : EPERM;
    return true;
}

} // namespace

int statfs(const char *path, struct statfs *info) __THROW
{
    static auto function = real<int (*)(const char *, struct statfs *)>("statfs");
    const int result = function(path, info);
    configure();
    if (result == 0 && refuseLinks)
        info->f_type = 0x4d44; // FAT
    return result;
}

int symlink(const char *target, const char *path) __THROW
{
    if (linkRefused())
        return -1;
    static auto function = real<int (*)(const char *, const char *)>("symlink");
    RUNEMOUNT_COUNTED(int, function(target, path));
}

int symlinkat(const char *target, int dir, const char *path) __THROW
{
    if (linkRefused())
        return -1;
    static auto function = real<int (*)(const char *, int, const char *)>("symlinkat");
    RUNEMOUNT_COUNTED(int, function(target, dir, path));
}

int link(const char *from, const char *to) __THROW
{
    if (linkRefused(true))
        return -1;
    static auto function = real<int (*)(const char *, const char *)>("link");
    RUNEMOUNT_COUNTED(int, function(from, to));
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags) __THROW
{
    if (linkRefused(true))
        return -1;
    static auto function = real<int (*)(int, const char *, int, const char *, int)>("linkat");
    RUNEMOUNT_COUNTED(int, function(fromDir, from, toDir, to, flags));
}

int unlink(const char *path) __THROW
{
    static auto function = real<int (*)(const char *)>("unlink");
    RUNEMOUNT_COUNTED(int, function(path));
}

int unlinkat(int dir, const char *path, int flags) __THROW
{
    static auto function = real<int (*)(int, const char *, int)>("unlinkat");
    RUNEMOUNT_COUNTED(int, function(dir, path, flags));
}

int ftruncate(int fd, off_t length) __THROW
{
    static auto function = real<int (*)(int, off_t)>("ftruncate");
    RUNEMOUNT_COUNTED(int, function(fd, length));
}

#ifdef __USE_LARGEFILE64
int ftruncate64(int fd, off64_t length) __THROW
{
    static auto function = real<int (*)(int, off64_t)>("ftruncate64");
    RUNEMOUNT_COUNTED(int, function(fd, length));
}
#endif

} // extern "C"
