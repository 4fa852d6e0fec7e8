#pragma once

// Helpers shared by the tests: file contents, and failures that hold even for root
// (permission bits stop nothing there), made with an immutable folder or a tiny file system.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <string>

namespace TestSupport
{

std::string utf8(const QString &text);
bool writeFile(const QString &path, const QByteArray &content);
QByteArray readFile(const QString &path);
// A text file the program wrote, with Windows line ends read as line feeds.
QByteArray readText(const QString &path);
// Names in a folder, hidden ones included, sorted.
QStringList entryNames(const QString &folder);
// Root can make failures that hold even for itself (chattr +i, a tmpfs of its own); CI runs as
// root, so there such tests always run.
bool runningAsRoot();

// The Windows build runs under Wine here; some system calls are stubs there.
bool runningUnderWine();
// Empty where symbolic links can be made. Under a Wine that makes none, the reason; on a real
// system always empty, so that a missing right to make links fails the tests that need them.
QString linksUnavailableReason();

// Threads of this process as the system sees them. A finished QThread's system thread may
// linger a moment after wait() returned, so compare counts with QTRY.
int liveThreadCount();

// Root acting as a normal user for its lifetime: `folder` and everything below it but
// `leftToRoot` are given to that user first, and the effective user is switched (for every thread
// of the process), so that permission bits count again. ok() is false where that cannot be done:
// not root, or not Linux.
class NormalUser
{
public:
    explicit NormalUser(const QString &folder, const QString &leftToRoot = QString());
    ~NormalUser();
    NormalUser(const NormalUser &) = delete;
    NormalUser &operator=(const NormalUser &) = delete;
    bool ok() const { return switched; }

private:
    bool switched = false;
};

// Makes a file or folder immutable (chattr +i) for its lifetime. Even root can then neither
// create, rename nor remove entries in that folder.
class Immutable
{
public:
    explicit Immutable(const QString &path);
    ~Immutable();
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;
    bool ok() const { return applied; }

private:
    QString path;
    bool applied = false;
};

// A tmpfs of the given size mounted on `folder` for its lifetime: a disk that fills up.
// With `inodes` > 0 it holds at most that many entries (its root folder counts as one), so
// creating entries fails while renaming them still works.
class TinyDisk
{
public:
    TinyDisk(const QString &folder, int kilobytes, int inodes = 0);
    ~TinyDisk();
    TinyDisk(const TinyDisk &) = delete;
    TinyDisk &operator=(const TinyDisk &) = delete;
    bool ok() const { return mounted; }

private:
    QString folder;
    bool mounted = false;
};

} // namespace TestSupport

// Skips the test function with this reason, which also goes to standard error: the tests run
// with -silent, which leaves skips unexplained in CTest's output.
#define RUNEMOUNT_SKIP(reason)                                                                     \
    do {                                                                                           \
        std::fprintf(stderr, "SKIP %s: %s\n", QTest::currentTestFunction(), (reason));             \
        QSKIP(reason);                                                                             \
    } while (false)

// For a test that makes symbolic links, or mounts: skips, saying why, where none can be made.
#define RUNEMOUNT_NEEDS_LINKS()                                                                    \
    do {                                                                                           \
        const QString unavailable = TestSupport::linksUnavailableReason();                         \
        if (!unavailable.isEmpty())                                                                \
            RUNEMOUNT_SKIP(qPrintable(unavailable));                                               \
    } while (false)

// For a test that needs root to set up a failure: skips, saying why, when not run as root, and
// fails when root could not set it up.
#ifdef Q_OS_WIN
#define RUNEMOUNT_ROOT_NEED "needs Linux and root: "
#else
#define RUNEMOUNT_ROOT_NEED "needs root: "
#endif
#define RUNEMOUNT_NEEDS_ROOT(madeIt, what)                                                         \
    do {                                                                                           \
        if (!(madeIt)) {                                                                           \
            if (!TestSupport::runningAsRoot())                                                     \
                RUNEMOUNT_SKIP(RUNEMOUNT_ROOT_NEED what);                                          \
            QFAIL("could not set up, although running as root: " what);                            \
        }                                                                                          \
    } while (false)
