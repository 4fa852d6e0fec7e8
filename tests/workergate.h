#pragma once

// Holds the Workers that the code under test makes, so that a test can act while an operation
// is running. While the gate is closed, every Worker made meanwhile stops at its first progress
// report, before it changes anything for that entry, until the gate opens. Scans report no
// progress of that kind, so they pass.

#include <QObject>

#include <memory>

class WorkerGate : public QObject
{
    Q_OBJECT

public:
    WorkerGate();
    // Opens, so that no Worker is left waiting.
    ~WorkerGate() override;

    void open();
    // True once a Worker waits at the gate; false if none came within the timeout.
    bool waitUntilHeld(int timeoutMs = 20000);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct State;
    // Shared with the connections on the Workers, which may outlive the gate.
    std::shared_ptr<State> state;
};
