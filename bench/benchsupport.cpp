#include "benchsupport.h"

#include <QFile>
#include <QProcess>

#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace bench
{

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::fputs("bench_worker: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::exit(2);
}

void progress(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

QString q(const std::string &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

void resetPeakMemory()
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
}

long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    ToolRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const Clock::time_point start = Clock::now();
    process.start(program, arguments);
    const bool finished = process.waitForStarted(-1) && process.waitForFinished(-1);
    run.seconds = secondsSince(start);
    run.output = QString::fromLocal8Bit(process.readAll()).trimmed();
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

std::string format(const char *pattern, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

std::string withSpaces(long long value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), " ");
    return value < 0 ? "-" + digits : digits;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void checkDiskSpace(const std::string &parent, double bytes, long long files)
{
    struct statvfs disk {
    };
    if (::statvfs(parent.c_str(), &disk) != 0)
        return;
    const double freeBytes = double(disk.f_bavail) * double(disk.f_frsize);
    const double freeInodes = double(disk.f_favail);
    if (freeBytes < bytes * 1.2 || freeInodes < double(files) * 1.2)
        fail("%s has %.1f GiB and %.0f inodes free; about %.1f GiB and %lld files are "
             "needed",
             parent.c_str(), freeBytes / 1073741824.0, freeInodes, bytes / 1073741824.0, files);
}

std::string makeWorkFolder(const std::string &parent)
{
    std::string pattern = parent + "/runemount-bench-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        fail("cannot make a work folder in %s: %s", parent.c_str(), std::strerror(errno));
    return pattern;
}

void removeWorkFolder(const std::string &work)
{
    const Clock::time_point cleanupStart = Clock::now();
    std::error_code error;
    std::filesystem::remove_all(work, error);
    progress("removed %s in %.1f s%s", work.c_str(), secondsSince(cleanupStart),
             error ? (": " + error.message()).c_str() : "");
}

} // namespace bench
