#pragma once

#include <QString>

class ConfigStore;

// One mod's row as the list's order sees it.
struct ModRowKey {
    QString name;
    bool measured = false;
    qint64 bytes = 0;
    qint64 files = 0;
};

// The order of the mod list: by name in natural order, or by size or file count as numbers,
// ascending or descending. Kept in config.cfg.
class ListSort
{
public:
    // The list's columns, in their order on screen.
    enum Column { Name = 0, Size = 1, Files = 2 };

    ListSort() = default;
    ListSort(int column, Qt::SortOrder order);

    // What config.cfg holds; by name, ascending, where it holds nothing known.
    static ListSort fromConfig(const ConfigStore &config);
    // Sets the keys; saving is the caller's.
    void setIn(ConfigStore &config) const;

    int column() const { return sortColumn; }
    Qt::SortOrder order() const { return sortOrder; }
    // Whether `a` goes above `b`. A row still being measured goes below every measured one, in
    // either order; equal numbers go by name.
    bool before(const ModRowKey &a, const ModRowKey &b) const;

private:
    int sortColumn = Name;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
};
