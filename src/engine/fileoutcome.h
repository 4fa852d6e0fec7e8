#pragma once

// How handling one entry ended; each outcome has its counter in OutcomeCounts. Kept: a game
// entry left as it was found, on purpose and with a line saying so (an entry newer than what an
// unmount would put back, or one a repair set aside to place the mod's entry again).
enum FileOutcome { Done = 0, Failed = 1, Missing = 2, Kept = 3 };

struct OutcomeCounts {
    int done = 0;
    int failed = 0;
    int missing = 0;
    int kept = 0;

    void add(FileOutcome outcome)
    {
        switch (outcome) {
        case Done:
            ++done;
            break;
        case Failed:
            ++failed;
            break;
        case Missing:
            ++missing;
            break;
        case Kept:
            ++kept;
            break;
        }
    }
    OutcomeCounts &operator+=(const OutcomeCounts &other)
    {
        done += other.done;
        failed += other.failed;
        missing += other.missing;
        kept += other.kept;
        return *this;
    }
    bool hasProblems() const { return failed + missing > 0; }
    // Problems or kept entries: either has lines the user should read.
    bool hasReports() const { return hasProblems() || kept > 0; }
};

enum class TransferMode { Move, Copy, Link, HardLink };
