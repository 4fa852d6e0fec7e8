#pragma once

// Holds the Workers that the code under test makes, so that a test can act while an operation
// is running. While the gate is closed, every Worker made meanwhile stops at its first progress
// report (which its Controller has taken already), before it changes anything for that entry,
// until the gate opens. A gate may hold
// only at the first progress text that it is asked to wait for. It also counts the Workers
// that are alive: one is from its Controller's start until its thread has ended.

#include <QObject>

#include <QString>

#include <functional>
#include <memory>

class WorkerGate : public QObject
{
    Q_OBJECT

public:
    using Stop = std::function<bool(const QString &progressText)>;
    // Holds at the first progress report, or at the first for which `stopAt` is true.
    explicit WorkerGate(Stop stopAt = Stop());
    // Opens, so that no Worker is left waiting.
    ~WorkerGate() override;

    void open();
    // True once a Worker waits at the gate; false if none came within the timeout.
    bool waitUntilHeld(int timeoutMs = 20000);
    // Workers made since the gate was set up; known as soon as a Controller
    // has been made.
    int workersMade() const { return made; }
    int workersAlive() const;
    // The most Workers that were alive at one time.
    int mostAlive() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct State;
    // Shared with the connections on the Workers, which may outlive the gate.
    std::shared_ptr<State> state;
    int made = 0;
};
