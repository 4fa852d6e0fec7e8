#pragma once

#include "foldermeasure.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The files and bytes below folders, measured on a thread of its own while the caller goes on.
// A preview measures every folder it would place as one link: for a large mod that is a stat of
// nearly every file, which beside the walk, on a second core, costs little more than the walk.
class FolderSizes
{
public:
    using Figures = FolderMeasure::Totals;

    explicit FolderSizes(const std::atomic<bool> &aborted);
    // Stops and joins the thread, if one was started.
    ~FolderSizes();
    FolderSizes(const FolderSizes &) = delete;
    FolderSizes &operator=(const FolderSizes &) = delete;

    // Measures `folder` (or what a link to a folder leads to) in the background.
    void add(const QString &folder);
    // Waits for every folder added so far: their figures, in the order they were added. After an
    // abort, those not reached count nothing.
    std::vector<Figures> results();

private:
    void run();

    const std::atomic<bool> &aborted;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QString> waiting;
    std::vector<Figures> measured;
    size_t added = 0;
    bool closing = false;
    std::thread thread; // started with the first folder
};
