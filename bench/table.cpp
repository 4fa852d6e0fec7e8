#include "table.h"

#include "benchsupport.h"
#include "workerdriver.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace bench
{

namespace
{

struct Row {
    const char *operation;
    const char *key;
    const char *floorKey;
};

const Row rows[] = {
    {"mount", "mount", "floor mount"},
    {"unmount", "unmount", "floor unmount"},
    {"unmount, first pass", "unmount first pass", "floor unmount"},
    {"hard-link mount", "hard-link mount", "floor hard-link mount"},
    {"hard-link unmount", "hard-link unmount", "floor hard-link unmount"},
    {"check (x: unmount first pass)", "check", "unmount first pass"},
    {"preview, unmounted (x: check)", "preview, unmounted", "check"},
    {"preview, mounted (x: check)", "preview, mounted", "check"},
    {"extract (x: bsdtar -xf)", "extract", "bsdtar extract"},
    {"scan", "scan", "floor scan"},
    {"scan (x: du -sb)", "scan", "du -sb"},
    {"delete", "delete", "floor delete"},
    {"copy-add", "copy-add", "floor copy-add"},
    {"move-add", "move-add", "floor move-add"},
    {"stow mount (stow -d -t)", "stow mount", "floor mount"},
    {"stow unmount (stow -D)", "stow unmount", "floor unmount"},
    {"du -sb", "du -sb", "floor scan"},
};

const int tableWidth = 125;

double medianSeconds(const std::vector<Sample> &samples)
{
    std::vector<double> values;
    for (const Sample &sample : samples)
        values.push_back(sample.seconds);
    return median(values);
}

long medianEntries(const std::vector<Sample> &samples)
{
    std::vector<double> values;
    for (const Sample &sample : samples)
        values.push_back(double(sample.entries));
    return samples.empty() ? 0 : std::lround(median(values));
}

void printRule()
{
    std::printf("%s\n", std::string(tableWidth, '-').c_str());
}

void printIntroduction(const ReportContext &context)
{
    std::printf("\nWorker on its own thread, its reports carried in batches to a counting receiver "
                "on another, as to the window; floor = the same work in bare system calls.\n");
    std::printf("Medians of %d run%s. Ratio = median seconds / floor seconds; the Stow rows "
                "compare with the floor's mount and unmount, du with the floor's scan.\n",
                context.runs, context.runs == 1 ? "" : "s");
    std::printf("Creating an empty file took %.0f us before the timed phase and %.0f us after "
                "it (a healthy disk here: about 10-40 us).\n\n",
                context.probeBefore, context.probeAfter);
}

void printHeader()
{
    const char *header = "%-30s | %7s | %15s | %14s | %12s | %13s | %15s\n";
    std::printf(header, "operation", "files", "entries handled", "median seconds", "entries/s",
                "floor seconds", "ratio to floor");
    printRule();
}

// A row whose tool was not found says so instead of figures.
void printMissingRow(const SizeSet &set, const Row &row)
{
    const bool isStow = std::strncmp(row.key, "stow", 4) == 0;
    const bool isDu = std::strncmp(row.key, "du", 2) == 0;
    std::printf("%-30s | %7s | %s\n", row.operation, withSpaces(long(set.files)).c_str(),
                isStow ? "stow not installed or not run"
                : isDu ? "du not found or not run"
                       : "not run");
}

void printRow(const SizeSet &set, const Row &row)
{
    const auto found = set.samples.find(row.key);
    if (found == set.samples.end()) {
        printMissingRow(set, row);
        return;
    }
    const double seconds = medianSeconds(found->second);
    const long entries = medianEntries(found->second);
    const auto floorFound = set.samples.find(row.floorKey);
    const double floorSeconds =
        floorFound == set.samples.end() ? std::nan("") : medianSeconds(floorFound->second);
    std::printf("%-30s | %7s | %15s | %14.3f | %12s | %13.3f | %14.1fx\n", row.operation,
                withSpaces(long(set.files)).c_str(), withSpaces(entries).c_str(), seconds,
                withSpaces(std::llround(double(entries) / seconds)).c_str(), floorSeconds,
                seconds / floorSeconds);
}

void printTable(const std::vector<SizeSet> &sets)
{
    printHeader();
    for (const SizeSet &set : sets) {
        for (const Row &row : rows)
            printRow(set, row);
        printRule();
    }
}

void printRunSeconds(const SizeSet &set)
{
    std::printf("  each run, seconds:\n");
    for (const auto &entry : set.samples) {
        std::string line;
        for (const Sample &sample : entry.second)
            line += format(" %.3f", sample.seconds);
        std::printf("    %-20s%s\n", entry.first.c_str(), line.c_str());
    }
}

void printDetails(const SizeSet &set)
{
    std::printf("\n%s files (%s mod folders, %s game files):\n",
                withSpaces(long(set.files)).c_str(),
                withSpaces(long(set.shape.modFolders.size())).c_str(),
                withSpaces(long(set.shape.gameFileCount(true))).c_str());
    for (const std::string &note : set.notes)
        std::printf("  %s\n", note.c_str());
    printRunSeconds(set);
    for (const std::string &problem : set.problems)
        std::printf("  PROBLEM: %s\n", problem.c_str());
}

} // namespace

void noteWorkerProblems(SizeSet &set, const char *operation, int run, const WorkerRun &result)
{
    if (result.failed || result.missing)
        set.problems.push_back(format("%s run %d: %d failed, %d missing", operation, run + 1,
                                      result.failed, result.missing));
}

void expect(SizeSet &set, bool holds, const std::string &what)
{
    if (!holds)
        set.problems.push_back(what);
}

void printReport(const std::vector<SizeSet> &sets, const ReportContext &context)
{
    printIntroduction(context);
    printTable(sets);
    for (const SizeSet &set : sets)
        printDetails(set);
    if (!context.stowInstalled)
        std::printf("\nstow not installed\n");
    std::printf("\nPeak resident set size: %s KiB\n", withSpaces(peakRssKiB()).c_str());
    std::fflush(stdout);
}

} // namespace bench
