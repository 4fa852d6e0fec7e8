#include "modlistscan.h"

#include "foldermeasure.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>

struct ModListScan::Run {
    QString folder;
    QStringList names;
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    std::atomic<int> working{0};
    std::mutex lock;
    QVector<ModMeasure> ready; // guarded by `lock`
};

namespace
{

// Often enough for the rows to come in smoothly, seldom enough for each batch to be worth
// sorting the list for.
const int deliveryIntervalMs = 50;

void measureWhileAny(ModListScan::Run &run)
{
    for (;;) {
        const int index = run.next++;
        if (index >= run.names.size() || run.stop)
            break;
        const FolderMeasure::Totals totals =
            FolderMeasure::of(run.folder + QLatin1Char('/') + run.names[index], run.stop);
        if (run.stop)
            break;
        const std::lock_guard<std::mutex> guard(run.lock);
        run.ready.push_back({index, totals.bytes, totals.files});
    }
    --run.working; // after its last result: a scan with none working has handed over all
}

} // namespace

ModListScan::ModListScan(QObject *parent) : QObject(parent)
{
    delivery.setInterval(deliveryIntervalMs);
    connect(&delivery, &QTimer::timeout, this, &ModListScan::deliver);
}

ModListScan::~ModListScan()
{
    release();
}

int ModListScan::threadLimit()
{
    // Asking the system each time would read a file.
    static const int threadsAtOnce = std::max(1, QThread::idealThreadCount());
    return threadsAtOnce;
}

void ModListScan::start(const QString &modsFolder, const QStringList &names)
{
    stop();
    auto run = std::make_shared<Run>();
    run->folder = modsFolder;
    run->names = names;
    const int count = std::min(threadLimit(), int(names.size()));
    run->working = count;
    current = run;
    for (int i = 0; i < count; ++i) {
        QThread *thread = QThread::create([run] { measureWhileAny(*run); });
        threads << QPointer<QThread>(thread);
        const QPointer<QThread> guard(thread);
        connect(thread, &QThread::finished, this, [this, guard] {
            threads.removeAll(guard);
            if (guard)
                guard->deleteLater();
            deliver(); // the last one's results without waiting for the timer
        });
        thread->start();
    }
    delivery.start();
    if (count == 0)
        QMetaObject::invokeMethod(this, &ModListScan::deliver, Qt::QueuedConnection);
}

void ModListScan::stop()
{
    if (current)
        current->stop = true;
    current.reset();
    delivery.stop();
}

void ModListScan::release()
{
    stop();
    const QList<QPointer<QThread>> all = threads;
    threads.clear();
    for (const QPointer<QThread> &thread : all) {
        if (!thread)
            continue;
        thread->wait();
        delete thread.data();
    }
}

void ModListScan::deliver()
{
    if (!current)
        return;
    const bool done = current->working == 0; // then everything it found is in `ready`
    QVector<ModMeasure> batch;
    {
        const std::lock_guard<std::mutex> guard(current->lock);
        batch.swap(current->ready);
    }
    if (done) {
        current.reset();
        delivery.stop();
    }
    if (!batch.isEmpty())
        emit measured(batch);
    if (done && !current) // unless the batch's receiver has started another scan
        emit finished();
}
