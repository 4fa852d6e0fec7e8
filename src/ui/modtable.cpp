#include "modtable.h"

#include "configstore.h"
#include "modlistscan.h"
#include "mountstate.h"
#include "scantext.h"
#include "utf8.h"

#include <QApplication>
#include <QDirIterator>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <numeric>

namespace
{

// A name cell that knows its place in the chosen order, so that the list's own sort only has
// to compare two numbers.
class OrderedItem : public QTableWidgetItem
{
public:
    explicit OrderedItem(const QString &text) : QTableWidgetItem(text, UserType) {}
    bool operator<(const QTableWidgetItem &other) const override
    {
        return rank < static_cast<const OrderedItem &>(other).rank;
    }
    int rank = 0;
};

} // namespace

ModTable::ModTable(QTableWidget *list, ConfigStore *store, QObject *parent)
    : QObject(parent), table(list), config(store), scan(new ModListScan(this))
{
    QHeaderView *header = table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    connect(header, &QHeaderView::sortIndicatorChanged, this, &ModTable::orderChosen);
    connect(scan, &ModListScan::measured, this, &ModTable::takeMeasures);
    connect(scan, &ModListScan::finished, this, &ModTable::scanFinished);
}

int ModTable::fill(const MountState &state, const QString &wanted, const QIcon &warningIcon)
{
    scan->stop();
    order = ListSort::fromConfig(*config);
    hideEmpty = config->get(ConfigKey::hideEmptyMods) == "1";
    const QStringList names = folderNames();
    const QString mounted = state.mountedMod(); // read from the store once, not for every row
    rows = QVector<Row>(names.size());
    for (int i = 0; i < names.size(); ++i) {
        rows[i].key.name = names[i];
        rows[i].mounted = !mounted.isEmpty() && names[i] == mounted;
    }
    const QVector<int> sorted = sortedIndexes();
    table->clearContents();
    table->setRowCount(0);
    // All rows at once: inserting them one by one costs time for every row already there.
    table->setRowCount(names.size());
    nameColumnFit = 0;
    // Hiding a row of a list on screen would otherwise update the list each time.
    table->setUpdatesEnabled(false);
    int target = -1;
    for (int position = 0; position < sorted.size(); ++position) {
        Row &row = rows[sorted[position]];
        row.position = position;
        fillRow(row, state, warningIcon);
        if (row.key.name == wanted)
            target = position;
    }
    table->setUpdatesEnabled(true);
    {
        const QSignalBlocker quiet(table->horizontalHeader()); // shown, not chosen
        table->horizontalHeader()->setSortIndicator(order.column(), order.order());
    }
    scan->start(fromUtf8(config->modsPath), names);
    return target;
}

void ModTable::fillRow(Row &row, const MountState &state, const QIcon &warningIcon)
{
    const int position = row.position;
    auto *name = new OrderedItem(row.key.name);
    name->rank = position;
    row.nameItem = name;
    table->setItem(position, 0, name);
    table->setItem(position, 1,
                   new QTableWidgetItem(row.mounted ? state.mountedSize() : ScanText::noSize()));
    table->setItem(position, 2,
                   new QTableWidgetItem(row.mounted ? state.mountedCount() : ScanText::noFiles()));
    if (!row.mounted) {
        table->setRowHidden(position, true); // shown once measured
        return;
    }
    showMountMark(row, state, warningIcon);
    table->resizeColumnToContents(0);
    nameColumnFit = nameWidth(position);
    table->scrollToItem(name);
    table->setFocus(Qt::OtherFocusReason);
    showOrHide(row);
}

void ModTable::showMountMark(Row &row, const MountState &state, const QIcon &warningIcon)
{
    row.mounted = true;
    row.nameItem->setIcon(state.warning().isEmpty() ? QIcon() : warningIcon);
    row.nameItem->setToolTip(state.toolTip());
}

void ModTable::markMounted(const MountState &state, const QIcon &warningIcon)
{
    const QString mounted = state.mountedMod();
    for (Row &row : rows)
        if (row.key.name == mounted)
            showMountMark(row, state, warningIcon);
}

QStringList ModTable::folderNames() const
{
    QStringList names;
    QDirIterator listing(fromUtf8(config->modsPath), QDir::Dirs | QDir::NoDotAndDotDot);
    while (listing.hasNext()) {
        listing.next();
        names << listing.fileName();
    }
    return names;
}

void ModTable::takeMeasures(const QVector<ModMeasure> &batch)
{
    table->setUpdatesEnabled(false);
    for (const ModMeasure &measure : batch) {
        if (measure.index < 0 || measure.index >= rows.size())
            continue;
        Row &row = rows[measure.index];
        row.key.measured = true;
        row.key.bytes = measure.bytes;
        row.key.files = measure.files;
        if (!row.mounted) { // which shows what it showed when it was mounted
            // The numbers go with the row, for a mount to keep what it showed.
            QTableWidgetItem *size = table->item(row.position, 1);
            QTableWidgetItem *count = table->item(row.position, 2);
            size->setData(Qt::UserRole, measure.bytes);
            count->setData(Qt::UserRole, measure.files);
            size->setText(ScanText::size(ScanText::megabytes(measure.bytes)));
            count->setText(ScanText::files(measure.files));
        }
        showOrHide(row);
    }
    if (order.column() != ListSort::Name)
        sortRows(); // once for the batch
    table->setUpdatesEnabled(true);
    emit rowsChanged();
}

void ModTable::showOrHide(const Row &row)
{
    const bool shown = filter.shows(row.key, row.mounted, hideEmpty);
    if (table->isRowHidden(row.position) != shown)
        return;
    table->setRowHidden(row.position, !shown);
    if (!shown)
        return;
    // Fitting the column to every row shown would measure them all again each time: the new
    // row is measured once, and the column widened once per turn of the event loop.
    nameColumnFit = std::max(nameColumnFit, nameWidth(row.position));
    if (!tidyPending) {
        tidyPending = true;
        QMetaObject::invokeMethod(this, &ModTable::tidy, Qt::QueuedConnection);
    }
}

int ModTable::nameWidth(int position) const
{
    const QModelIndex index = table->model()->index(position, 0);
    return table->sizeHintForIndex(index).width() + (table->showGrid() ? 1 : 0);
}

void ModTable::tidy()
{
    tidyPending = false;
    // What resizing the column to its contents would give, from the widths already measured.
    QHeaderView *header = table->horizontalHeader();
    header->resizeSection(0, std::max(nameColumnFit, header->sectionSizeHint(0)));
    if (QTableWidgetItem *current = table->item(table->currentRow(), 0))
        table->scrollToItem(current);
    // Not away from a box the user types in: the filter, or a name being edited.
    if (!qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        table->setFocus(Qt::OtherFocusReason);
}

void ModTable::setFilter(const QString &text)
{
    filter = ListFilter(text);
    table->setUpdatesEnabled(false);
    for (const Row &row : qAsConst(rows))
        showOrHide(row);
    table->setUpdatesEnabled(true);
    if (QTableWidgetItem *current = table->item(table->currentRow(), 0))
        table->scrollToItem(current);
}

int ModTable::shownCount() const
{
    return int(std::count_if(rows.begin(), rows.end(), [this](const Row &row) {
        return filter.shows(row.key, row.mounted, hideEmpty);
    }));
}

int ModTable::unfilteredCount() const
{
    const ListFilter none;
    return int(std::count_if(rows.begin(), rows.end(), [this, &none](const Row &row) {
        return none.shows(row.key, row.mounted, hideEmpty);
    }));
}

void ModTable::orderChosen(int column, Qt::SortOrder chosen)
{
    order = ListSort(column, chosen);
    // Saved with the next save of the store, at the latest when the window goes: writing the
    // file safely waits for the disk, which a click must not.
    order.setIn(*config);
    orderChosenNow = true;
    sortRows();
}

QVector<int> ModTable::sortedIndexes() const
{
    QVector<int> sorted(rows.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [this](int a, int b) { return order.before(rows[a].key, rows[b].key); });
    return sorted;
}

void ModTable::sortRows()
{
    const QVector<int> sorted = sortedIndexes();
    for (int position = 0; position < sorted.size(); ++position) {
        Row &row = rows[sorted[position]];
        row.position = position;
        static_cast<OrderedItem *>(row.nameItem)->rank = position;
    }
    // The model moves whole rows, their hidden state and the selection with them.
    table->model()->sort(0, Qt::AscendingOrder);
    if (QTableWidgetItem *current = table->item(table->currentRow(), 0))
        table->scrollToItem(current);
}

void ModTable::stopScan()
{
    scan->stop();
}

void ModTable::release()
{
    scan->release();
}
