#include "previewentrymodel.h"

#include "scantext.h"

namespace
{

enum Column { PathColumn, SizeColumn, FilesColumn, ColumnCount };

} // namespace

PreviewEntryModel::PreviewEntryModel(QObject *parent) : QAbstractTableModel(parent) {}

void PreviewEntryModel::setEntries(const QVector<PreviewedMount::Entry> &shown)
{
    beginResetModel();
    entries = shown;
    endResetModel();
}

int PreviewEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : entries.size();
}

int PreviewEntryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PreviewEntryModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries.size())
        return QVariant();
    const PreviewedMount::Entry &entry = entries.at(index.row());
    switch (index.column()) {
    case PathColumn:
        return entry.path;
    case SizeColumn:
        return ScanText::amount(entry.bytes);
    case FilesColumn:
        return ScanText::files(entry.files);
    }
    return QVariant();
}

QVariant PreviewEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    switch (section) {
    case PathColumn:
        return tr("Path");
    case SizeColumn:
        return tr("Size");
    case FilesColumn:
        return tr("Files");
    }
    return QVariant();
}
