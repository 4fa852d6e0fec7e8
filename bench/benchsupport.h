#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <string>
#include <vector>

// Small helpers every part of the benchmarks uses: the clock, messages on stderr, text, the
// work folder.
namespace bench
{

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// Prints the message on stderr and ends the program with status 2.
[[noreturn]] void fail(const char *format, ...);

// One line of progress on stderr, so that stdout holds the figures only.
void progress(const char *format, ...);

QString q(const std::string &text);

long peakRssKiB();
// The process's peak resident size as /proc tells it, which resetPeakMemory starts again from
// the present size (Linux 4.0 on).
void resetPeakMemory();
long peakMemoryKiB();

std::string format(const char *pattern, ...);

// A program such as du or Stow, timed from its start to its end; ok when it ended with status 0.
struct ToolRun {
    double seconds = 0;
    bool ok = false;
    QString output;
};
ToolRun runTool(const QString &program, const QStringList &arguments);

// 1234567 as "1 234 567".
std::string withSpaces(long long value);

// NaN for no values.
double median(std::vector<double> values);

// Ends the program when the folder's disk has not room for this much, with a margin.
void checkDiskSpace(const std::string &parent, double bytes, long long files);
// A fresh folder below `parent` for all the trees of one benchmark run.
std::string makeWorkFolder(const std::string &parent);
// Only after all timing: removing many entries slows what the disk creates next.
void removeWorkFolder(const std::string &work);

} // namespace bench
