#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the system's request to end the program (on Linux SIGTERM, SIGINT or SIGHUP) into a
// signal on the user-interface thread, so that the program can end as if its window had been
// closed: records consistent, its lock removed. Windows asks the window itself to close. One
// at a time per process.
class TerminationSignal : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignal(QObject *parent = nullptr);
    ~TerminationSignal() override;

signals:
    void received();

private:
    QSocketNotifier *notifier = nullptr;
};
