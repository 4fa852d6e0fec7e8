#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <mutex>
#include <vector>

class Worker;

// Carries a Worker's progress reports to the thread this relay lives on, a batch at a time:
// one wake-up of that thread every few milliseconds instead of one posted event per report.
// Tens of thousands of reports a second would otherwise cost the Worker as much as its file
// work, and the window a redraw for each. Within a batch, a progress text followed by another
// is dropped, and so is an amount followed by a newer one: nobody could have seen them.
// Errors and actions are all delivered, in the order the Worker made them.
class ReportRelay : public QObject
{
    Q_OBJECT

public:
    explicit ReportRelay(Worker *worker, QObject *parent = nullptr);

    // Delivers every report taken so far, now. Called on this relay's thread before whatever
    // must come after the reports (a result).
    void deliver();

    // Reports the Worker made (also those dropped as unseen).
    long taken() const;

signals:
    void status(const QString &text, bool error);
    void appendAction(const QString &text);
    void amountDone(int files, qint64 bytesDone, qint64 bytesTotal);

private:
    enum class Kind { Progress, Error, Action, Amount };
    struct Report {
        Kind kind;
        int row; // also the files of an amount
        QString text;
        qint64 done = 0;
        qint64 total = 0;
    };
    // On the Worker's thread.
    void take(Report report);
    static bool supersedes(const Report &later, const Report &earlier);

    static constexpr int batchMilliseconds = 10;
    QTimer batchTimer{this}; // a child, so that it moves with the relay
    mutable std::mutex mutex;
    std::vector<Report> waiting;
    bool timerAsked = false;
    long takenCount = 0;
};
