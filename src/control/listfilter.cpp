#include "listfilter.h"

#include "listsort.h"

ListFilter::ListFilter(const QString &text) : needle(text.trimmed()) {}

bool ListFilter::matches(const QString &name) const
{
    return name.contains(needle, Qt::CaseInsensitive);
}

bool ListFilter::shows(const ModRowKey &row, bool mounted, bool hideEmpty) const
{
    if (!matches(row.name))
        return false;
    if (mounted)
        return true;
    return row.measured && !(hideEmpty && row.files == 0);
}
