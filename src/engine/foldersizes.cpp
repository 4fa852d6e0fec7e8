#include "foldersizes.h"

FolderSizes::FolderSizes(const std::atomic<bool> &abortFlag) : aborted(abortFlag) {}

FolderSizes::~FolderSizes()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    changed.notify_all();
    if (thread.joinable())
        thread.join();
}

void FolderSizes::add(const QString &folder)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        waiting.push_back(folder);
        ++added;
    }
    if (!thread.joinable())
        thread = std::thread(&FolderSizes::run, this);
    changed.notify_all();
}

std::vector<FolderSizes::Figures> FolderSizes::results()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return measured.size() == added; });
    return measured;
}

void FolderSizes::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return closing || !waiting.empty(); });
        if (waiting.empty())
            return; // closing
        const QString folder = waiting.front();
        waiting.pop_front();
        lock.unlock();
        const Figures figures = FolderMeasure::of(folder, aborted);
        lock.lock();
        measured.push_back(figures);
        changed.notify_all();
    }
}
