#include "listsort.h"

#include "configstore.h"
#include "naturalorder.h"

#include <array>

namespace
{

const std::array<const char *, 3> columnNames{"Name", "Size", "Files"};
const char ascending[] = "Ascending";
const char descending[] = "Descending";

} // namespace

ListSort::ListSort(int column, Qt::SortOrder order)
    : sortColumn(column >= Name && column <= Files ? column : Name), sortOrder(order)
{
}

ListSort ListSort::fromConfig(const ConfigStore &config)
{
    const std::string column = config.get(ConfigKey::sortColumn);
    int found = Name;
    for (int i = 0; i < int(columnNames.size()); ++i)
        if (column == columnNames[size_t(i)])
            found = i;
    const bool down = config.get(ConfigKey::sortOrder) == descending;
    return ListSort(found, down ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ListSort::setIn(ConfigStore &config) const
{
    config.set(ConfigKey::sortColumn, columnNames[size_t(sortColumn)]);
    config.set(ConfigKey::sortOrder, sortOrder == Qt::DescendingOrder ? descending : ascending);
}

bool ListSort::before(const ModRowKey &a, const ModRowKey &b) const
{
    const bool down = sortOrder == Qt::DescendingOrder;
    if (sortColumn != Name) {
        if (a.measured != b.measured)
            return a.measured;
        if (a.measured) {
            const qint64 x = sortColumn == Size ? a.bytes : a.files;
            const qint64 y = sortColumn == Size ? b.bytes : b.files;
            if (x != y)
                return down ? x > y : x < y;
        }
    }
    const int byName = NaturalOrder::compare(a.name, b.name);
    return down && sortColumn == Name ? byName > 0 : byName < 0;
}
