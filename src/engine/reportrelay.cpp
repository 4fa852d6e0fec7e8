#include "reportrelay.h"

#include "worker.h"

ReportRelay::ReportRelay(Worker *worker, QObject *parent) : QObject(parent)
{
    batchTimer.setSingleShot(true);
    batchTimer.setInterval(batchMilliseconds);
    connect(&batchTimer, &QTimer::timeout, this, &ReportRelay::deliver);

    // Direct: these run on the Worker's thread, as it reports.
    connect(
        worker, &Worker::status, this,
        [this](const QString &text, bool error) {
            take({error ? Kind::Error : Kind::Progress, 0, text});
        },
        Qt::DirectConnection);
    connect(
        worker, &Worker::amountDone, this,
        [this](int files, qint64 done, qint64 total) {
            take({Kind::Amount, files, QString(), done, total});
        },
        Qt::DirectConnection);
    connect(
        worker, &Worker::appendAction, this,
        [this](const QString &text) {
            take({Kind::Action, 0, text});
        },
        Qt::DirectConnection);
}

void ReportRelay::take(Report report)
{
    bool askForTimer = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiting.push_back(std::move(report));
        ++takenCount;
        askForTimer = !timerAsked;
        timerAsked = true;
    }
    // The timer belongs to this relay's thread, so it is started there.
    if (askForTimer)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!batchTimer.isActive())
                    batchTimer.start();
            },
            Qt::QueuedConnection);
}

long ReportRelay::taken() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return takenCount;
}

bool ReportRelay::supersedes(const Report &later, const Report &earlier)
{
    if (later.kind != earlier.kind)
        return false;
    return later.kind == Kind::Progress || later.kind == Kind::Amount;
}

void ReportRelay::deliver()
{
    std::vector<Report> batch;
    {
        std::lock_guard<std::mutex> lock(mutex);
        batch.swap(waiting);
        timerAsked = false;
    }
    batchTimer.stop();
    for (size_t i = 0; i < batch.size(); ++i) {
        const Report &report = batch[i];
        if (i + 1 < batch.size() && supersedes(batch[i + 1], report))
            continue;
        switch (report.kind) {
        case Kind::Progress:
        case Kind::Error:
            emit status(report.text, report.kind == Kind::Error);
            break;
        case Kind::Action:
            emit appendAction(report.text);
            break;
        case Kind::Amount:
            emit amountDone(report.row, report.done, report.total);
            break;
        }
    }
}
