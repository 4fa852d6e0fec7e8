#include "scanqueue.h"

#include "controller.h"

#include <QThread>

#include <algorithm>

ScanQueue::ScanQueue(QWidget *parentForDialogs, ConfigStore *store, QObject *parent)
    : QObject(parent), dialogParent(parentForDialogs), config(store)
{
}

ScanQueue::~ScanQueue()
{
    release();
}

int ScanQueue::limit()
{
    // Asking the system each time would read a file.
    static const int scansAtOnce = std::max(2, QThread::idealThreadCount());
    return scansAtOnce;
}

void ScanQueue::add(const QString &modName, int row)
{
    waiting.enqueue({modName, row});
    startWaiting();
}

void ScanQueue::startNewList()
{
    ++generation;
    waiting.clear();
    for (const QPointer<Controller> &scan : qAsConst(scans))
        if (scan)
            scan->abort();
}

void ScanQueue::release()
{
    startNewList();
    const QList<QPointer<Controller>> all = scans;
    scans.clear();
    for (const QPointer<Controller> &scan : all)
        delete scan.data(); // joins its thread; kept by this queue, so gone with it otherwise
}

void ScanQueue::startWaiting()
{
    scans.removeAll(QPointer<Controller>());
    while (!waiting.isEmpty() && scans.size() < limit()) {
        const Waiting next = waiting.dequeue();
        auto *controller =
            new Controller(WorkerPaths::of(*config), next.modName, dialogParent, this);
        scans << QPointer<Controller>(controller);
        const int startedFor = generation;
        connect(controller, &Controller::scanModUpdate, this,
                [this, startedFor](int row, qint64 bytes, qint64 files) {
                    // A report for an earlier list would name a row of that list.
                    if (startedFor == generation)
                        emit scanModUpdate(row, bytes, files);
                });
        // The Controller releases itself once its last report has been delivered.
        connect(controller, &QObject::destroyed, this, &ScanQueue::startWaiting);
        controller->scan(next.row);
    }
}
