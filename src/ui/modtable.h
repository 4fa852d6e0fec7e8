#pragma once

#include "listfilter.h"
#include "listsort.h"

#include <QIcon>
#include <QObject>
#include <QStringList>
#include <QVector>

class ConfigStore;
class ModListScan;
class MountState;
class QTableWidget;
class QTableWidgetItem;
struct ModMeasure;

// The rows of the window's mod list: one per folder of the mods folder, measured by one scan,
// in the order the user chose, through the user's filter. A row keeps its mod wherever the
// order puts it, and the selection follows the mod.
class ModTable : public QObject
{
    Q_OBJECT

public:
    ModTable(QTableWidget *list, ConfigStore *store, QObject *parent = nullptr);

    // Rebuilds the rows and starts measuring them; the mounted mod's row shows what it showed
    // when it was mounted. Returns the row of `wanted`, or -1 when it is not listed.
    int fill(const MountState &state, const QString &wanted, const QIcon &warningIcon);
    // The mounted mod's tool tip and warning, on the list as it stands (after a clean mount,
    // which leaves the rows as they are).
    void markMounted(const MountState &state, const QIcon &warningIcon);
    void setFilter(const QString &text);
    bool isFiltered() const { return filter.isSet(); }
    // The rows shown, and those that would be without the filter.
    int shownCount() const;
    int unfilteredCount() const;
    // The user chose another order since the window opened; it is in the store, not yet saved.
    bool orderChanged() const { return orderChosenNow; }
    // Abandons the scan; release() also waits for its threads.
    void stopScan();
    void release();

signals:
    // A batch of measures has been shown.
    void rowsChanged();
    void scanFinished();

private:
    struct Row {
        ModRowKey key;
        bool mounted = false;
        int position = 0;                     // the row on screen
        QTableWidgetItem *nameItem = nullptr; // knows its place in the order
    };

    void takeMeasures(const QVector<ModMeasure> &batch);
    void orderChosen(int column, Qt::SortOrder order);
    // Puts the rows in the chosen order; the selected mod stays selected.
    void sortRows();
    QVector<int> sortedIndexes() const;
    void fillRow(Row &row, const MountState &state, const QIcon &warningIcon);
    void showOrHide(const Row &row);
    void showMountMark(Row &row, const MountState &state, const QIcon &warningIcon);
    void tidy();
    int nameWidth(int position) const;
    QStringList folderNames() const;

    QTableWidget *table;
    ConfigStore *config;
    ModListScan *scan;
    QVector<Row> rows; // in the order of the scan's list
    ListSort order;
    ListFilter filter;
    bool hideEmpty = false;
    bool orderChosenNow = false;
    bool tidyPending = false;
    int nameColumnFit = 0; // the widest name of the rows shown since the list was rebuilt
};
