#include "workerdriver.h"

#include "benchsupport.h"
#include "reportrelay.h"
#include "worker.h"

namespace bench
{

void Receiver::reset()
{
    statusSignals = 0;
    actionSignals = 0;
    reportsTaken = 0;
    firstActionNs = -1;
    std::lock_guard<std::mutex> lock(mutex);
    resultArrived = false;
    done = failed = missing = 0;
    aborted = false;
}

WorkerDriver::WorkerDriver()
{
    receiver.context = new QObject;
    receiver.context->moveToThread(&receiverThread);
    workerAnchor = new QObject;
    workerAnchor->moveToThread(&workerThread);
    receiverThread.start();
    workerThread.start();
}

WorkerDriver::~WorkerDriver()
{
    receiver.context->deleteLater();
    workerAnchor->deleteLater();
    receiverThread.quit();
    workerThread.quit();
    receiverThread.wait();
    workerThread.wait();
}

WorkerRun WorkerDriver::run(ConfigStore &config, const QString &modName,
                            const std::function<void(Worker *)> &operation, bool reportsResult)
{
    Worker *worker = new Worker(WorkerPaths::of(config), modName);
    worker->moveToThread(&workerThread);
    connectTo(worker);
    receiver.reset();

    WorkerRun result;
    const Clock::time_point start = Clock::now();
    runStart = start;
    QMetaObject::invokeMethod(
        worker, [worker, operation] { operation(worker); }, Qt::QueuedConnection);
    if (reportsResult)
        waitForResult();
    else
        drain(true);
    result.seconds = secondsSince(start);

    worker->deleteLater();
    drain(true);
    copyReceived(result);
    if (relay) {
        relay->deleteLater();
        relay = nullptr;
    }
    return result;
}

void WorkerDriver::waitForResult()
{
    std::unique_lock<std::mutex> lock(receiver.mutex);
    receiver.arrived.wait(lock, [this] { return receiver.resultArrived; });
}

void WorkerDriver::drain(bool receiverToo)
{
    QMetaObject::invokeMethod(
        workerAnchor, [] {}, Qt::BlockingQueuedConnection);
    if (receiverToo)
        QMetaObject::invokeMethod(
            receiver.context,
            [this] {
                if (relay) {
                    relay->deliver();
                    receiver.reportsTaken = relay->taken();
                }
            },
            Qt::BlockingQueuedConnection);
}

void WorkerDriver::connectTo(Worker *worker)
{
    Receiver *r = &receiver;
    QObject *context = receiver.context;
    relay = new ReportRelay(worker);
    relay->moveToThread(&receiverThread);
    ReportRelay *carrier = relay;
    QObject::connect(relay, &ReportRelay::status, context, [r](const QString &, bool) {
        r->statusSignals.fetch_add(1, std::memory_order_relaxed);
    });
    // Timed where it happens, on the Worker's thread, not when the relay delivers it.
    const Clock::time_point *started = &runStart;
    QObject::connect(
        worker, &Worker::appendAction, worker,
        [r, started](const QString &) {
            long long none = -1;
            r->firstActionNs.compare_exchange_strong(
                none, std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - *started)
                          .count());
        },
        Qt::DirectConnection);
    QObject::connect(relay, &ReportRelay::appendAction, context, [r](const QString &) {
        r->actionSignals.fetch_add(1, std::memory_order_relaxed);
    });
    QObject::connect(
        worker, &Worker::resultReady, context,
        [r, carrier](const QString &, int done, int failed, int missing, int, bool aborted, bool) {
            carrier->deliver(); // as the Controller does: the reports come before the result
            std::lock_guard<std::mutex> lock(r->mutex);
            r->reportsTaken = carrier->taken();
            r->done = done;
            r->failed = failed;
            r->missing = missing;
            r->aborted = aborted;
            r->resultArrived = true;
            r->arrived.notify_all();
        },
        Qt::QueuedConnection);
}

void WorkerDriver::copyReceived(WorkerRun &result) const
{
    result.done = receiver.done;
    result.failed = receiver.failed;
    result.missing = receiver.missing;
    result.statusSignals = receiver.statusSignals;
    result.reportsTaken = receiver.reportsTaken;
    if (receiver.firstActionNs >= 0)
        result.firstActionSeconds = double(receiver.firstActionNs) / 1e9;
}

} // namespace bench
