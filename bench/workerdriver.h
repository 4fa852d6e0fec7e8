#pragma once

#include "benchsupport.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class ConfigStore;
class ReportRelay;
class Worker;

namespace bench
{

// What the Worker's signals told a run's receiver; it only counts them.
struct Receiver {
    QObject *context = nullptr;
    std::atomic<long> statusSignals{0};
    std::atomic<long> actionSignals{0};
    long reportsTaken = 0; // by the relay, including those it dropped as unseen
    // When the Worker announced its first phase, in nanoseconds after the run started; -1 while
    // it has not (the unmount announces its second pass so).
    std::atomic<long long> firstActionNs{-1};

    std::mutex mutex;
    std::condition_variable arrived;
    bool resultArrived = false;
    int done = 0;
    int failed = 0;
    int missing = 0;
    bool aborted = false;

    void reset();
};

struct WorkerRun {
    double seconds = 0;
    int done = 0;
    int failed = 0;
    int missing = 0;
    long statusSignals = 0;
    long reportsTaken = 0;
    double firstActionSeconds = -1; // see Receiver::firstActionNs
};

// Drives the Worker as the program does: on its own thread, its reports carried by a relay to
// an object on another thread, which here only counts them.
class WorkerDriver
{
public:
    WorkerDriver();
    ~WorkerDriver();

    WorkerDriver(const WorkerDriver &) = delete;
    WorkerDriver &operator=(const WorkerDriver &) = delete;

    // Runs one operation on a fresh Worker. The clock stops when the receiver has the result, or
    // for an operation that reports none when the worker thread is idle again and the receiver
    // has taken every report.
    WorkerRun run(ConfigStore &config, const QString &modName,
                  const std::function<void(Worker *)> &operation, bool reportsResult);

private:
    void waitForResult();
    void drain(bool receiverToo);
    void connectTo(Worker *worker);
    void copyReceived(WorkerRun &result) const;

    QThread workerThread;
    QThread receiverThread;
    QObject *workerAnchor = nullptr;
    Clock::time_point runStart;
    ReportRelay *relay = nullptr; // of the current run, on the receiver's thread
    Receiver receiver;
};

} // namespace bench
