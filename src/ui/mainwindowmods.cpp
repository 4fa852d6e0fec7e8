// The main window's mod commands: add, rename, delete and open.
#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "fileoutcome.h"
#include "modfolders.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

Controller *MainWindow::newOperation(const QString &modName)
{
    return new Controller(WorkerPaths::of(*config), modName, this, this);
}

void MainWindow::addMod()
{
    setStatus(tr("Adding mod..."), false);
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Add Mod"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::HideNameFilterDetails);
    if (!chosen.isEmpty())
        addFolderAsMod(chosen);
}

void MainWindow::addFolderAsMod(const QString &chosen)
{
    // Before asking anything.
    const ModFolders mods(modsPath());
    const QString refusal = mods.addRefusal(chosen, setting(ConfigKey::gamePath));
    if (!refusal.isEmpty()) {
        setStatus(refusal, true);
        return;
    }

    QMessageBox question(QMessageBox::Warning, tr("Copy or move?"),
                         tr("Do you want to copy or move this folder?\n%1").arg(chosen),
                         QMessageBox::NoButton, this);
    QPushButton *moveButton = question.addButton(tr("Move"), QMessageBox::ActionRole);
    QPushButton *copyButton = question.addButton(tr("Copy"), QMessageBox::ActionRole);
    question.addButton(QMessageBox::Cancel);
    // Moving empties the chosen folder: that takes a click, never just Enter.
    question.setDefaultButton(copyButton);
    question.exec();
    TransferMode mode;
    if (question.clickedButton() == moveButton)
        mode = TransferMode::Move;
    else if (question.clickedButton() == copyButton)
        mode = TransferMode::Copy;
    else
        return;

    const QString name = QDir(chosen).dirName();
    const QString taken = mods.newNameRefusal(name);
    if (!taken.isEmpty()) {
        setStatus(taken, true);
        return;
    }
    setStatus(tr("Adding %1...").arg(name), false);
    Controller *controller = newOperation(name);
    connect(controller, &Controller::resultReady, this, &MainWindow::addModReady);
    controller->addFolder(chosen, mods.pathOf(name), mode);
}

void MainWindow::renameModStart(QTableWidgetItem *item)
{
    if (!item)
        return;
    if (item->column() != 0)
        item = ui->modList->item(item->row(), 0);
    renameFrom = item->text();
    renameItem = item;
    connect(ui->modList, &QTableWidget::itemChanged, this, &MainWindow::renameModSave,
            Qt::UniqueConnection);
    ui->modList->editItem(item);
}

void MainWindow::renameModAction()
{
    if (modSelected())
        renameModStart(ui->modList->item(ui->modList->currentRow(), 0));
}

void MainWindow::renameModSave(QTableWidgetItem *item)
{
    // A scan report landing in another cell while the name is edited.
    if (item != renameItem)
        return;
    disconnect(ui->modList, &QTableWidget::itemChanged, this, &MainWindow::renameModSave);
    QString result;
    QString select = renameFrom;
    const ModFolders mods(modsPath());
    if (!QFileInfo(mods.pathOf(renameFrom)).isDir()) {
        result = tr("Mod not found.");
    } else {
        const QString newName = item->text();
        result = mods.renameRefusal(renameFrom, newName);
        if (result.isEmpty()) {
            if (mods.rename(renameFrom, newName)) {
                select = newName;
                result = tr("%1 renamed to %2.").arg(renameFrom, newName);
            } else {
                result = tr("Failed to rename mod.");
            }
        }
    }
    renameFrom.clear();
    renameItem = nullptr;
    // After the list has finished with its editor: rebuilding the list from inside the commit
    // would leave it stuck in its editing state, refusing every later rename.
    QMetaObject::invokeMethod(
        this, [this, result, select] { refresh(result, select, true); }, Qt::QueuedConnection);
}

void MainWindow::renameModEnd()
{
    // Escape, or the name left as it was: the editor closed and no change came. A change that
    // did come was saved before the editor closed.
    if (!renameItem)
        return;
    disconnect(ui->modList, &QTableWidget::itemChanged, this, &MainWindow::renameModSave);
    renameFrom.clear();
    renameItem = nullptr;
}

void MainWindow::deleteMod()
{
    if (!modSelected())
        return;
    const int row = ui->modList->currentRow();
    const QString name = ui->modList->item(row, 0)->text();
    const QString size = ui->modList->item(row, 1)->text();
    const QString count = ui->modList->item(row, 2)->text();
    const auto answer = QMessageBox::warning(
        this, tr("Permanently delete %1?").arg(name),
        tr("Are you sure you want to PERMANENTLY delete %1 (%2 / %3)?").arg(name, size, count),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    setStatus(tr("Deleting %1...").arg(name), false);
    Controller *controller = newOperation(name);
    connect(controller, &Controller::resultReady, this, &MainWindow::deleteModReady);
    controller->deleteMod();
}

void MainWindow::openModsFolder()
{
    setStatus(tr("Opening mods folder..."), false);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(modsPath()));
    setStatus(opened ? tr("Mods folder opened.") : tr("Failed to open mods folder."), false);
}

void MainWindow::openGameFolder()
{
    setStatus(tr("Opening game folder..."), false);
    const bool opened =
        QDesktopServices::openUrl(QUrl::fromLocalFile(setting(ConfigKey::gamePath)));
    setStatus(opened ? tr("Game folder opened.") : tr("Failed to open game folder."), false);
}

void MainWindow::openModFolder()
{
    QString folder = modsPath();
    if (modSelected())
        folder += QLatin1Char('/') + ui->modList->item(ui->modList->currentRow(), 0)->text();
    setStatus(tr("Opening Mods folder..."), false);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    setStatus(opened ? tr("Mods folder opened.") : tr("Failed to open Mods folder."), false);
}
