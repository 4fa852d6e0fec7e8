#include "windowcases.h"

#include "benchsupport.h"
#include "controller.h"
#include "gameregistry.h"
#include "mainwindow.h"
#include "wineprefix.h"
#include "worker.h"
#include "workerdriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
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

// The process's peak resident size from now on.
class MemoryPeak
{
public:
    MemoryPeak() { resetPeakMemory(); }
    long kib() const { return peakMemoryKiB(); }
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

// Sorts the filled list by each column and types a filter letter by letter, one step per turn
// of the event loop, as clicks and keys would come; the heartbeat runs throughout.
WindowCase sortAndFilterCase(MainWindow &window, int mods)
{
    WindowCase result;
    result.name = format("sort and filter of %s rows", withSpaces(mods).c_str());
    auto *header = window.findChild<QTableWidget *>(QStringLiteral("modList"))->horizontalHeader();
    auto *filter = window.findChild<QLineEdit *>(QStringLiteral("filterEdit"));
    std::vector<std::function<void()>> steps{
        [header] { header->setSortIndicator(1, Qt::DescendingOrder); },
        [header] { header->setSortIndicator(2, Qt::AscendingOrder); },
        [header] { header->setSortIndicator(0, Qt::DescendingOrder); },
        [header] { header->setSortIndicator(0, Qt::AscendingOrder); }};
    for (const char *typed : {"m", "mo", "mod", "mod0", "mod01", "mod012", ""})
        steps.push_back([filter, typed] { filter->setText(QString::fromLatin1(typed)); });
    size_t next = 0;
    double working = 0;
    QTimer stepper;
    stepper.setInterval(20);
    QObject::connect(&stepper, &QTimer::timeout, [&] {
        const Clock::time_point start = Clock::now();
        steps[next++]();
        working += secondsSince(start);
        if (next == steps.size())
            stepper.stop();
    });
    Heartbeat heartbeat;
    heartbeat.start();
    stepper.start();
    runUntil([&] { return next == steps.size(); });
    heartbeat.stop();
    result.items = mods;
    result.seconds = working; // the steps' own time, without the waits between them
    result.aloneSeconds = std::nan("");
    result.longestGapMs = heartbeat.longest();
    result.gapP99Ms = heartbeat.percentile99();
    return result;
}

WindowCase refreshCase(int mods, const std::string &app, int filesEach, WindowCase &sorting)
{
    WindowCase result;
    result.name = format("refresh of %s mods of %d files", withSpaces(mods).c_str(), filesEach);
    const QString filesText = QStringLiteral("%1 files").arg(filesEach);

    // What the file system gives at best: du over the whole mods folder, just before the
    // window, so that both meet the same caches.
    const QString du = QStandardPaths::findExecutable(QStringLiteral("du"));
    if (du.isEmpty()) {
        result.aloneSeconds = std::nan("");
        result.problems.push_back("du not found: nothing timed beside the window");
    } else {
        const ToolRun measured = runTool(du, {QStringLiteral("-s"), q(app + "/mods")});
        result.aloneSeconds = measured.seconds;
        if (!measured.ok)
            result.problems.push_back("du -s failed: " + measured.output.toStdString());
    }

    const MemoryPeak memory;
    Heartbeat heartbeat;
    heartbeat.start();
    const Clock::time_point start = Clock::now();
    {
        // Building the window runs its first refresh, as at the program's start.
        const std::unique_ptr<GameRegistry> registry = GameRegistry::system();
        MainWindow window(app, *registry);
        window.show();
        FilledRows rows(window.findChild<QTableWidget *>(QStringLiteral("modList")), filesText);
        runUntil([&rows] { return rows.all(); });
        result.seconds = secondsSince(start);
        heartbeat.stop();
        result.items = rows.count();
        if (rows.count() != mods)
            result.problems.push_back(format("window: %d rows filled", rows.count()));
        sorting = sortAndFilterCase(window, mods);
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
        result.aloneSeconds = run.seconds;
        result.aloneMemoryKiB = memory.kib();
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
    QPointer<Controller> controller =
        new Controller(WorkerPaths::of(*trees.mountByWindow.config), "mod", &window, nullptr);
    QObject::connect(
        controller, &Controller::resultReady, &window, [&](const OperationResult &outcome) {
            arrived = true;
            done = outcome.counts.done;
            if (outcome.counts.hasProblems())
                result.problems.push_back(format("window: %d failed, %d missing",
                                                 outcome.counts.failed, outcome.counts.missing));
        });
    controller->mount();
    runUntil([&arrived] { return arrived; });
    result.seconds = secondsSince(start);
    heartbeat.stop();
    delete controller.data(); // there still until its release comes round, or with problems
    result.items = done;
    result.memoryKiB = memory.kib();
    result.longestGapMs = heartbeat.longest();
    result.gapP99Ms = heartbeat.percentile99();
    return result;
}

// Runs a program of Wine's for `prefix`; true when it ended well within two minutes.
bool runWine(const QString &program, const QStringList &arguments, const QString &prefix)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The game options while a Wine server holds the prefix's registry, as when the game runs:
// every read and write goes through Wine's `reg`. The window starts, then Refresh, a click on
// each box and a launch, each until the boxes can be used again.
WindowCase wineOptionsCase(const std::string &root)
{
    WindowCase result;
    result.name = "game options while Wine runs";
    const QString wine = WinePrefix::wineProgram();
    const QString server = QFileInfo(wine).absolutePath() + QStringLiteral("/wineserver");
    if (wine.isEmpty() || !QFileInfo(server).isExecutable()) {
        result.problems.push_back("not run: Wine and its wineserver are not installed");
        return result;
    }
    const QString prefix = QString::fromStdString(root) + QStringLiteral("/prefix");
    const QString game = prefix + QStringLiteral("/drive_c/Games/Warcraft III");
    const std::string app = root + "/app";
    makeFolders(app + "/mods");
    QFile import(QString::fromStdString(root) + QStringLiteral("/game.reg"));
    if (!import.open(QIODevice::WriteOnly) ||
        import.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Blizzard "
                     "Entertainment\\Warcraft III]\r\n\"Allow Local Files\"=dword:00000000\r\n"
                     "\"Preferred Game Version\"=dword:00000000\r\n") < 0) {
        result.problems.push_back("not run: cannot write the prefix's files");
        return result;
    }
    import.close();
    progress("window     making a Wine prefix for the game options");
    // Wine makes the prefix only where its folder does not exist yet.
    if (!runWine(wine, {QStringLiteral("reg"), QStringLiteral("import"), import.fileName()},
                 prefix) ||
        // The server that import started ends when idle; this one stays, as with the game.
        !runWine(server, {QStringLiteral("-k")}, prefix) ||
        !runWine(server, {QStringLiteral("-w")}, prefix) ||
        !runWine(server, {QStringLiteral("-p")}, prefix) || !QDir().mkpath(game)) {
        result.problems.push_back("not run: Wine could not make the prefix or start its server");
        return result;
    }
    QFile exe(game + QStringLiteral("/Warcraft III.exe"));
    exe.open(QIODevice::WriteOnly);
    exe.close();
    writeConfig(app, game.toStdString());
    runUntil([&prefix] { return WinePrefix(prefix).serverRunning(); });

    const std::unique_ptr<GameRegistry> registry = GameRegistry::system();
    const std::string gameFolder = game.toStdString();
    const Clock::time_point alone = Clock::now();
    for (int call = 0; call < 3; ++call)
        if (registry->readOption(gameFolder, GameOption::AllowLocalFiles) != "0")
            result.problems.push_back("Wine alone: the option could not be read");
    result.aloneSeconds = secondsSince(alone) / 3;

    const MemoryPeak memory;
    Heartbeat heartbeat;
    heartbeat.start();
    const Clock::time_point start = Clock::now();
    {
        MainWindow window(app, *registry);
        window.show();
        auto *allow = window.findChild<QCheckBox *>(QStringLiteral("allowFilesCbx"));
        auto *expansion = window.findChild<QCheckBox *>(QStringLiteral("gameVersionCbx"));
        auto *status = window.findChild<QLabel *>(QStringLiteral("statusBarLbl"));
        auto settled = [&] { return allow->isEnabled() && expansion->isEnabled(); };
        runUntil(settled);
        window.findChild<QPushButton *>(QStringLiteral("refreshBtn"))->click();
        runUntil(settled);
        allow->click();
        runUntil([&] { return settled() && status->text() == "Allow Local Files enabled."; });
        expansion->click();
        runUntil([&] { return settled() && status->text() == "Expansion enabled."; });
        window.findChild<QPushButton *>(QStringLiteral("gameBtn"))->click();
        runUntil([&] { return settled() && status->text() == "Game launched."; });
        result.items = 5;
    }
    result.seconds = secondsSince(start);
    heartbeat.stop();
    // Not timed: this read waits for Wine on the window's thread.
    if (registry->readOption(gameFolder, GameOption::AllowLocalFiles) != "1")
        result.problems.push_back("window: the option was not written");
    result.memoryKiB = memory.kib();
    result.longestGapMs = heartbeat.longest();
    result.gapP99Ms = heartbeat.percentile99();
    runWine(server, {QStringLiteral("-k")}, prefix);
    runWine(server, {QStringLiteral("-w")}, prefix);
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
    trees.wineRoot = root + "/wine";
    return trees;
}

std::vector<WindowCase> runWindowCases(WindowTrees &trees, int filesEach, WorkerDriver &driver)
{
    std::vector<WindowCase> cases;
    for (const auto &list : trees.modLists) {
        WindowCase sorting;
        cases.push_back(refreshCase(list.first, list.second, filesEach, sorting));
        progress("window     %s: %.2f s", cases.back().name.c_str(), cases.back().seconds);
        cases.push_back(sorting);
        progress("window     %s: %.2f s", sorting.name.c_str(), sorting.seconds);
    }
    cases.push_back(mountCase(trees, driver));
    progress("window     %s: %.2f s", cases.back().name.c_str(), cases.back().seconds);
    cases.push_back(wineOptionsCase(trees.wineRoot));
    progress("window     %s: %.2f s", cases.back().name.c_str(), cases.back().seconds);
    return cases;
}

void printWindowCases(const std::vector<WindowCase> &cases)
{
    if (cases.empty())
        return;
    std::printf(
        "\nThe window's thread while the Worker works (offscreen), next to the same work done "
        "alone: du -s of the mods folder for a refresh, the Worker on its own for the mount.\n");
    std::printf("Heartbeat: a 10 ms timer on the window's thread; a gap is the time between two of "
                "its ticks. Memory: the whole process's peak resident size during each.\n");
    std::printf("The game options case: the window's start, Refresh, a click on each box and a "
                "launch while a Wine server holds the registry; beside it one read through Wine "
                "alone.\n\n");
    const char *header = "%-40s | %7s | %9s | %13s | %8s | %11s | %11s | %12s | %10s\n";
    std::printf(header, "case", "items", "seconds", "alone", "ratio", "peak KiB", "alone KiB",
                "longest gap", "99% gap");
    std::printf("%s\n", std::string(142, '-').c_str());
    for (const WindowCase &c : cases) {
        // A case with nothing alone beside it (sorting and filtering) shows dashes there.
        const bool alone = !std::isnan(c.aloneSeconds);
        std::printf("%-40s | %7s | %9.3f | %13s | %8s | %11s | %11s | %9.1f ms | %7.1f ms\n",
                    c.name.c_str(), withSpaces(c.items).c_str(), c.seconds,
                    alone ? format("%.3f", c.aloneSeconds).c_str() : "-",
                    alone ? format("%.2fx", c.seconds / c.aloneSeconds).c_str() : "-",
                    c.memoryKiB > 0 ? withSpaces(c.memoryKiB).c_str() : "-",
                    c.aloneMemoryKiB > 0 ? withSpaces(c.aloneMemoryKiB).c_str() : "-",
                    c.longestGapMs, c.gapP99Ms);
    }
    for (const WindowCase &c : cases)
        for (const std::string &problem : c.problems)
            std::printf("  PROBLEM (%s): %s\n", c.name.c_str(), problem.c_str());
}

} // namespace bench
