#pragma once

#include <QString>

#include <chrono>
#include <string>
#include <vector>

// Small helpers every part of the benchmark uses: the clock, messages on stderr, text.
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

std::string format(const char *pattern, ...);

// 1234567 as "1 234 567".
std::string withSpaces(long long value);

// NaN for no values.
double median(std::vector<double> values);

} // namespace bench
