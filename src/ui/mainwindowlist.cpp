// The main window's mod list: rebuilding it from the mods folder, and showing what the scans
// of its rows report.
#include "mainwindow.h"

#include "configstore.h"
#include "mountcommands.h"
#include "scanqueue.h"
#include "scantext.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QDirIterator>
#include <QHeaderView>

#include <algorithm>

void MainWindow::refresh(const QString &text, const QString &select, bool rescan)
{
    readGameOptions();
    QString statusText = text;
    if (rescan) {
        const MountState state = mountCommands->state();
        // The mounted mod is selected whatever was asked; without a name the selected mod
        // stays selected, wherever its row lands.
        QString wanted = state.isMounted() ? state.mountedMod() : select;
        if (wanted.isEmpty())
            wanted = currentModName();
        const int target = fillList(state, wanted);
        if (target >= 0 && target < ui->modList->rowCount()) {
            ui->modList->selectRow(target);
        } else if (state.isMounted()) {
            // The mounted mod's folder went away outside the program: bring back an empty one
            // so that it can still be unmounted.
            if (QDir().mkdir(modsPath() + QLatin1Char('/') + wanted)) {
                refresh(text, wanted, true);
                return;
            }
            statusText = tr("Failed to create folder for %1.").arg(wanted);
        }
    }
    showMountState(false);
    setStatus(statusText.isEmpty() ? tr("Runemount refreshed.") : statusText, false);
}

QString MainWindow::currentModName() const
{
    const QTableWidgetItem *current = ui->modList->item(ui->modList->currentRow(), 0);
    return current ? current->text() : QString();
}

int MainWindow::fillList(const MountState &state, const QString &wanted)
{
    int target = -1;
    scans->startNewList();
    const QStringList names = modFolderNames();
    ui->modList->clearContents();
    ui->modList->setRowCount(0);
    // All rows at once: inserting them one by one costs time for every row already there.
    ui->modList->setRowCount(names.size());
    nameColumnFit = 0;
    // Hiding a row of a list on screen would otherwise update the list each time.
    ui->modList->setUpdatesEnabled(false);
    // Read from the store once, not for every row.
    const QString mounted = state.mountedMod();
    for (int row = 0; row < names.size(); ++row) {
        if (names[row] == wanted)
            target = row;
        fillRow(row, names[row], !mounted.isEmpty() && names[row] == mounted, state);
    }
    ui->modList->setUpdatesEnabled(true);
    return target;
}

void MainWindow::fillRow(int row, const QString &name, bool isMounted, const MountState &state)
{
    ui->modList->setItem(row, 0, new QTableWidgetItem(name));
    ui->modList->setItem(
        row, 1, new QTableWidgetItem(isMounted ? state.mountedSize() : ScanText::noSize()));
    ui->modList->setItem(
        row, 2, new QTableWidgetItem(isMounted ? state.mountedCount() : ScanText::noFiles()));
    if (!isMounted) {
        // Shown once its scan reports.
        ui->modList->setRowHidden(row, true);
        scans->add(name, row);
        return;
    }
    if (!state.warning().isEmpty())
        ui->modList->item(row, 0)->setIcon(warningIcon);
    ui->modList->item(row, 0)->setToolTip(state.toolTip());
    ui->modList->resizeColumnToContents(0);
    nameColumnFit = nameWidth(row);
    ui->modList->scrollToItem(ui->modList->item(row, 0));
    ui->modList->setFocus(Qt::OtherFocusReason);
}

QStringList MainWindow::modFolderNames() const
{
    QStringList names;
    QDirIterator listing(modsPath(), QDir::Dirs | QDir::NoDotAndDotDot);
    while (listing.hasNext()) {
        listing.next();
        names << listing.fileName();
    }
    return names;
}

void MainWindow::scanModUpdate(int row, qint64 bytes, qint64 files)
{
    if (row < 0 || row >= ui->modList->rowCount())
        return;
    // The numbers go with the row, for a mount to keep what it showed.
    QTableWidgetItem *size = ui->modList->item(row, 1);
    QTableWidgetItem *count = ui->modList->item(row, 2);
    size->setData(Qt::UserRole, bytes);
    count->setData(Qt::UserRole, files);
    size->setText(ScanText::size(ScanText::megabytes(bytes)));
    count->setText(ScanText::files(files));
    if (!ui->modList->isRowHidden(row))
        return;
    if (files == 0 && config->get(ConfigKey::hideEmptyMods) == "1")
        return;
    ui->modList->setRowHidden(row, false);
    // Fitting the column to every row shown would measure them all again each time: the new
    // row is measured once, and the column widened once per turn of the event loop.
    nameColumnFit = std::max(nameColumnFit, nameWidth(row));
    if (!listTidyPending) {
        listTidyPending = true;
        QMetaObject::invokeMethod(this, &MainWindow::tidyList, Qt::QueuedConnection);
    }
}

int MainWindow::nameWidth(int row) const
{
    const QModelIndex index = ui->modList->model()->index(row, 0);
    return ui->modList->sizeHintForIndex(index).width() + (ui->modList->showGrid() ? 1 : 0);
}

void MainWindow::tidyList()
{
    listTidyPending = false;
    // What resizing the column to its contents would give, from the widths already measured.
    QHeaderView *header = ui->modList->horizontalHeader();
    header->resizeSection(0, std::max(nameColumnFit, header->sectionSizeHint(0)));
    if (QTableWidgetItem *current = ui->modList->item(ui->modList->currentRow(), 0))
        ui->modList->scrollToItem(current);
    ui->modList->setFocus(Qt::OtherFocusReason);
}
