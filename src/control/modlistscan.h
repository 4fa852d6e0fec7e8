#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

class QThread;

// One mod's size and file count, by its place in the list the scan was given.
struct ModMeasure {
    int index = 0;
    qint64 bytes = 0;
    qint64 files = 0;
};

// Measures every mod of a list on a few threads at once (no more than the cores) and hands the
// results over in batches on the thread that made it, so that the window takes each batch in
// one go. A new list, or stop(), abandons the scan at once: its threads end on their own after
// the entry they are at, and nothing of it is handed over any more.
class ModListScan : public QObject
{
    Q_OBJECT

public:
    explicit ModListScan(QObject *parent = nullptr);
    ~ModListScan() override;

    static int threadLimit();

    // Measures the folders `names` in `modsFolder`, abandoning the scan before.
    void start(const QString &modsFolder, const QStringList &names);
    void stop();
    // Stops, and waits until every thread of every scan has ended.
    void release();
    bool isRunning() const { return current != nullptr; }

    struct Run; // one list's scan, shared with its threads

signals:
    void measured(const QVector<ModMeasure> &batch);
    // Every mod of the list has been handed over.
    void finished();

private:
    void deliver();

    std::shared_ptr<Run> current;
    QList<QPointer<QThread>> threads; // of every scan, until they have ended
    QTimer delivery;
};
