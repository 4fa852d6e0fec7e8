#include "workergate.h"

#include "worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>
#include <QWaitCondition>

#include <algorithm>

struct WorkerGate::State {
    QMutex mutex;
    QWaitCondition opened;
    bool isOpen = false;
    int held = 0;
    int alive = 0;
    int mostAlive = 0;
    WorkerGate::Stop stopAt;
};

WorkerGate::WorkerGate(Stop stopAt) : state(std::make_shared<State>())
{
    state->stopAt = std::move(stopAt);
    // A Controller moves its Worker to the Worker's thread right after making it; the move is
    // announced to the Worker on this thread, where an application filter sees it.
    QCoreApplication::instance()->installEventFilter(this);
}

WorkerGate::~WorkerGate()
{
    open();
}

void WorkerGate::open()
{
    QMutexLocker lock(&state->mutex);
    state->isOpen = true;
    state->opened.wakeAll();
}

bool WorkerGate::waitUntilHeld(int timeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            QMutexLocker lock(&state->mutex);
            return state->held > 0;
        },
        timeoutMs);
}

int WorkerGate::workersAlive() const
{
    QMutexLocker lock(&state->mutex);
    return state->alive;
}

int WorkerGate::mostAlive() const
{
    QMutexLocker lock(&state->mutex);
    return state->mostAlive;
}

bool WorkerGate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ThreadChange) {
        if (auto *worker = qobject_cast<Worker *>(watched)) {
            ++made;
            const std::shared_ptr<State> shared = state;
            {
                QMutexLocker lock(&shared->mutex);
                shared->mostAlive = std::max(shared->mostAlive, ++shared->alive);
            }
            // A Worker is deleted on its own thread, as that thread ends.
            connect(
                worker, &QObject::destroyed, worker,
                [shared] {
                    QMutexLocker lock(&shared->mutex);
                    --shared->alive;
                },
                Qt::DirectConnection);
            connect(
                worker, &Worker::status, worker,
                [shared](const QString &text, bool error) {
                    if (error)
                        return;
                    QMutexLocker lock(&shared->mutex);
                    if (shared->isOpen || (shared->stopAt && !shared->stopAt(text)))
                        return;
                    ++shared->held;
                    while (!shared->isOpen)
                        shared->opened.wait(&shared->mutex);
                },
                Qt::DirectConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}
