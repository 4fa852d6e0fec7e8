#include "gamecheck.h"

#include "benchsupport.h"
#include "gameprocess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench
{

void printGameCheckFigures(int extraProcesses)
{
    QTemporaryDir game;
    // Waiting programs, one of them with an argument that names a game executable elsewhere,
    // so that the check also takes its slower path once.
    std::vector<std::unique_ptr<QProcess>> waiting;
    for (int i = 0; i < extraProcesses; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(
            QStringLiteral("cat"),
            i == 0 ? QStringList{QStringLiteral("-"), QStringLiteral("/elsewhere/Warcraft III.exe")}
                   : QStringList());
        if (process->waitForStarted())
            waiting.push_back(std::move(process));
    }
    const int processes =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();

    std::vector<double> ms;
    bool found = false;
    for (int run = 0; run < 20; ++run) {
        const Clock::time_point start = Clock::now();
        found = GameProcess::runsFrom(game.path()) || found;
        ms.push_back(secondsSince(start) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "\nThe check for a running game before a mount (on the window's thread): %d entries "
        "in /proc, 20 runs: median %.2f ms, longest %.2f ms%s\n",
        processes, ms[ms.size() / 2], ms.back(), found ? " (WRONGLY FOUND THE GAME)" : "");
    for (auto &process : waiting) {
        process->closeWriteChannel();
        process->waitForFinished();
    }
}

} // namespace bench
