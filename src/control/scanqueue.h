#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>

class ConfigStore;
class Controller;
class QWidget;

// Measures the mods of the list, each on a Worker and thread of its own, but only a few at a
// time: a thread for every mod of a large mods folder at once would only make them queue for
// the disk and the window. The next scan starts as one ends. Reports of scans started for an
// earlier list never come out.
class ScanQueue : public QObject
{
    Q_OBJECT

public:
    ScanQueue(QWidget *parentForDialogs, ConfigStore *store, QObject *parent = nullptr);
    ~ScanQueue() override;

    // Scans at once: about one per core.
    static int limit();

    // Scans the mod in `row` of the current list once a place is free.
    void add(const QString &modName, int row);
    // A new list: the waiting scans are dropped, the running ones asked to stop; they still
    // count against the limit until they have ended.
    void startNewList();
    // Stops every scan and waits for its thread to end.
    void release();

signals:
    void scanModUpdate(int row, qint64 bytes, qint64 files);

private:
    void startWaiting();

    struct Waiting {
        QString modName;
        int row;
    };
    QWidget *dialogParent;
    ConfigStore *config;
    QQueue<Waiting> waiting;
    QList<QPointer<Controller>> scans;
    int generation = 0;
};
