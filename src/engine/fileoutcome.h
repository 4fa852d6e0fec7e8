#pragma once

// How handling one entry ended; each outcome has its counter in OutcomeCounts.
enum FileOutcome { Done = 0, Failed = 1, Missing = 2 };

struct OutcomeCounts {
    int done = 0;
    int failed = 0;
    int missing = 0;

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
        }
    }
    OutcomeCounts &operator+=(const OutcomeCounts &other)
    {
        done += other.done;
        failed += other.failed;
        missing += other.missing;
        return *this;
    }
    bool hasProblems() const { return failed + missing > 0; }
};

enum class TransferMode { Move, Copy, Link, HardLink };
