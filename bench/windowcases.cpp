#include "windowcases.h"

#include "benchsupport.h"
#include "controller.h"
#include "mainwindow.h"
#include "worker.h"
#include "workerdriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace bench
{

namespace
{

// A 10 ms timer on the window's thread; the gaps between its ticks are what the user feels.
class Heartbeat
{
public:
    Heartbeat()
    {
        timer.setInterval(10);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            gaps.push_back(double(clock.nsecsElapsed()) / 1e6);
            clock.restart();
        });
    }
    void start()
    {
        gaps.clear();
        clock.start();
        timer.start();
    }
    // The gap since the last tick counts too: it may be the longest.
    void stop()
    {
        gaps.push_back(double(clock.nsecsElapsed()) / 1e6);
        timer.stop();
    }
    double longest() const
    {
        return gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
    }
    double percentile99() const
    {
        if (gaps.empty())
            return 0;
        std::vector<double> sorted = gaps;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1,
                               size_t(std::ceil(0.99 * double(sorted.size()))) - 1)];
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    std::vector<double> gaps;
};

// Resident memory from /proc: the peak since the last reset, and resetting it (Linux 4.0 on).
long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The process's peak resident size from now on.
class MemoryPeak
{
public:
    MemoryPeak()
    {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5");
    }
    long kib() const { return statusKiB("VmHWM:"); }
};

// Runs the event loop until `done` holds, looking every 2 ms.
void runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer look;
    look.setInterval(2);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    look.start();
    if (!done())
        loop.exec();
}

// The window's rows fill about in list order; this finds the first one still unfilled without
// looking at all of them each time.
class FilledRows
{
public:
    FilledRows(QTableWidget *table, const QString &lastFilesText)
        : list(table), filesText(lastFilesText)
    {
    }
    bool all()
    {
        while (next < list->rowCount() && !list->isRowHidden(next) &&
               list->item(next, 2)->text() == filesText)
            ++next;
        return list->rowCount() > 0 && next == list->rowCount();
    }
    int count() const { return next; }

private:
    QTableWidget *list;
    QString filesText;
    int next = 0;
};

WindowCase refreshCase(int mods, const std::string &app, int filesEach, WorkerDriver &driver)
{
    WindowCase result;
    result.name = format("refresh of %s mods of %d files", withSpaces(mods).c_str(), filesEach);
    const QString filesText = QStringLiteral("%1 files").arg(filesEach);

    ConfigStore config(app);
    {
        const MemoryPeak memory;
        const Clock::time_point start = Clock::now();
        long reports = 0;
        for (int mod = 0; mod < mods; ++mod) {
            const int row = mod;
            const WorkerRun run = driver.run(
                config, QString::asprintf("mod%05d", mod),
                [row](Worker *worker) { worker->scanModWorker(row); }, false);
            reports += run.reportsTaken;
            if (run.scanFiles != filesText)
                result.problems.push_back(format("Worker alone: mod%05d ended with \"%s\"", mod,
                                                 qPrintable(run.scanFiles)));
        }
        result.workerSeconds = secondsSince(start);
        result.workerMemoryKiB = memory.kib();
        if (reports != long(mods) * filesEach)
            result.problems.push_back(format("Worker alone: %ld reports", reports));
    }

    const MemoryPeak memory;
    Heartbeat heartbeat;
    heartbeat.start();
    const Clock::time_point start = Clock::now();
    {
        // Building the window runs its first refresh, as at the program's start.
        MainWindow window(app);
        window.show();
        FilledRows rows(window.findChild<QTableWidget *>(QStringLiteral("modList")), filesText);
        runUntil([&rows] { return rows.all(); });
        result.seconds = secondsSince(start);
        heartbeat.stop();
        result.items = rows.count();
        if (rows.count() != mods)
            result.problems.push_back(format("window: %d rows filled", rows.count()));
    }
    result.memoryKiB = memory.kib();
    result.longestGapMs = heartbeat.longest();
    result.gapP99Ms = heartbeat.percentile99();
    return result;
}

WindowCase mountCase(WindowTrees &trees, WorkerDriver &driver)
{
    WindowCase result;
    result.name = format("mount of %s files, dialog attached",
                         withSpaces(long(trees.mountShape.fileCount)).c_str());
    {
        const MemoryPeak memory;
        const WorkerRun run = driver.run(
            *trees.mountByWorker.config, QStringLiteral("mod"),
            [](Worker *worker) { worker->mountModWorker(); }, true);
        result.workerSeconds = run.seconds;
        result.workerMemoryKiB = memory.kib();
        if (size_t(run.done) != trees.mountShape.expectedLinks || run.failed || run.missing)
            result.problems.push_back(format("Worker alone: %d done, %d failed, %d missing",
                                             run.done, run.failed, run.missing));
    }

    QWidget window;
    window.show();
    const MemoryPeak memory;
    Heartbeat heartbeat;
    bool arrived = false;
    int done = 0;
    heartbeat.start();
    const Clock::time_point start = Clock::now();
    QPointer<Controller> controller = new Controller(&window, trees.mountByWindow.config.get(),
                                                     QStringLiteral("Mounting"), "mod", true);
    QObject::connect(controller->worker, &Worker::resultReady, &window,
                     [&](const QString &, int resultDone, int failed, int missing) {
                         arrived = true;
                         done = resultDone;
                         if (failed || missing)
                             result.problems.push_back(
                                 format("window: %d failed, %d missing", failed, missing));
                     });
    emit controller->mountMod();
    runUntil([&arrived] { return arrived; });
    result.seconds = secondsSince(start);
    heartbeat.stop();
    delete controller.data(); // only there still when the mount had problems
    result.items = done;
    result.memoryKiB = memory.kib();
    result.longestGapMs = heartbeat.longest();
    result.gapP99Ms = heartbeat.percentile99();
    return result;
}

} // namespace

WindowTrees prepareWindowTrees(const std::string &root, const std::vector<int> &modCounts,
                               int filesEach, size_t mountFiles)
{
    WindowTrees trees;
    for (const int mods : modCounts)
        trees.modLists.emplace_back(
            mods, prepareModList(root + format("/list%d", mods), mods, filesEach));
    trees.mountShape = makeShape(mountFiles);
    trees.mountByWorker =
        prepareSide(trees.mountShape, root + "/mount-worker", SideTrees::ModAndGame);
    trees.mountByWindow =
        prepareSide(trees.mountShape, root + "/mount-window", SideTrees::ModAndGame);
    return trees;
}

std::vector<WindowCase> runWindowCases(WindowTrees &trees, int filesEach, WorkerDriver &driver)
{
    std::vector<WindowCase> cases;
    for (const auto &list : trees.modLists) {
        cases.push_back(refreshCase(list.first, list.second, filesEach, driver));
        progress("window     %s: %.2f s", cases.back().name.c_str(), cases.back().seconds);
    }
    cases.push_back(mountCase(trees, driver));
    progress("window     %s: %.2f s", cases.back().name.c_str(), cases.back().seconds);
    return cases;
}

void printWindowCases(const std::vector<WindowCase> &cases)
{
    if (cases.empty())
        return;
    std::printf(
        "\nThe window's thread while the Worker works (offscreen), next to the Worker alone "
        "on the same work (one scan after another, or one mount).\n");
    std::printf("Heartbeat: a 10 ms timer on the window's thread; a gap is the time between two of "
                "its ticks. Memory: the whole process's peak resident size during each.\n\n");
    const char *header = "%-40s | %7s | %9s | %13s | %8s | %11s | %11s | %12s | %10s\n";
    std::printf(header, "case", "items", "seconds", "Worker alone", "ratio", "peak KiB",
                "Worker KiB", "longest gap", "99% gap");
    std::printf("%s\n", std::string(142, '-').c_str());
    for (const WindowCase &c : cases)
        std::printf("%-40s | %7s | %9.3f | %13.3f | %7.2fx | %11s | %11s | %9.1f ms | %7.1f ms\n",
                    c.name.c_str(), withSpaces(c.items).c_str(), c.seconds, c.workerSeconds,
                    c.seconds / c.workerSeconds, withSpaces(c.memoryKiB).c_str(),
                    withSpaces(c.workerMemoryKiB).c_str(), c.longestGapMs, c.gapP99Ms);
    for (const WindowCase &c : cases)
        for (const std::string &problem : c.problems)
            std::printf("  PROBLEM (%s): %s\n", c.name.c_str(), problem.c_str());
}

} // namespace bench
