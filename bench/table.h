#pragma once

#include "trees.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// The figures gathered for each mod size, and printing them.
namespace bench
{

struct WorkerRun;

struct Sample {
    double seconds;
    long entries;
};

// Everything about one mod size: its shape, the trees of its runs and what they measured.
struct SizeSet {
    size_t files = 0;
    Shape shape;
    std::vector<RunTrees> runs;
    std::map<std::string, std::vector<Sample>> samples;
    std::vector<std::string> notes;
    std::vector<std::string> problems;
};

void noteWorkerProblems(SizeSet &set, const char *operation, int run, const WorkerRun &result);

// Records `what` as a problem unless `holds`.
void expect(SizeSet &set, bool holds, const std::string &what);

struct ReportContext {
    int runs;
    double probeBefore; // microseconds per created file, see probeCreation
    double probeAfter;
    bool stowInstalled;
};

// On stdout: the table of medians, then per size the notes, each run's seconds and the
// problems.
void printReport(const std::vector<SizeSet> &sets, const ReportContext &context);

} // namespace bench
