#pragma once

#include "previewedmount.h"

#include <QAbstractTableModel>

// The entries of a preview as rows of path, size and file count. It shares the preview's list and
// makes a row's texts only when a view shows that row, so that a hundred thousand entries fill a
// view as fast as ten.
class PreviewEntryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit PreviewEntryModel(QObject *parent = nullptr);

    void setEntries(const QVector<PreviewedMount::Entry> &shown);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVector<PreviewedMount::Entry> entries;
};
