// The main window's side of the mount commands: it forwards the clicks to MountCommands, which
// decides, and shows which of the commands can be used.
#include "mainwindow.h"

#include "gamebar.h"
#include "mountcommands.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QPushButton>

void MainWindow::mountMod()
{
    mountCommands->mount(chosenMod());
}

void MainWindow::unmountMod()
{
    mountCommands->unmount();
}

void MainWindow::checkMod()
{
    mountCommands->check();
}

void MainWindow::repairMod()
{
    mountCommands->repair();
}

std::optional<ModChoice> MainWindow::chosenMod() const
{
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return ModChoice{ui->modList->item(row, 0)->text(),
                     ui->modList->item(row, 1)->data(Qt::UserRole).toLongLong(),
                     ui->modList->item(row, 2)->data(Qt::UserRole).toLongLong()};
}

void MainWindow::offerHardLinks()
{
    if (quitting)
        return;
    const auto answer = QMessageBox::question(
        this, tr("Mount with hard links?"),
        tr("Symbolic links are not allowed here. Mount with hard links instead?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    mountCommands->answerHardLinks(answer == QMessageBox::Yes);
}

void MainWindow::holdMountCommands()
{
    ui->toggleMountBtn->setEnabled(false);
    mountAction->setEnabled(false);
    ui->actionPreviewMount->setEnabled(false);
    ui->actionCheckMount->setEnabled(false);
    ui->actionRepairMount->setEnabled(false);
    ui->modList->setEnabled(false);
    ui->gameBar->gameButton()->setEnabled(false);
    ui->gameBar->editorButton()->setEnabled(false);
}

void MainWindow::showMountState(bool focusList)
{
    disconnect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::unmountMod);
    disconnect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::mountMod);
    const bool mounted = mountCommands->isMounted();
    if (mounted) {
        ui->toggleMountBtn->setText(tr("Un&mount"));
        ui->modList->setStyleSheet(
            QStringLiteral("QTableWidget::item:selected { border: 2px dashed #bcbe00;"
                           "border-top-color: #f7f500; border-bottom-color: #f7f500;"
                           "color: #eee; background-color: #555; }"));
        ui->modList->setEnabled(false);
        connect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::unmountMod);
    } else {
        ui->toggleMountBtn->setText(tr("&Mount"));
        ui->modList->setStyleSheet(QString());
        ui->modList->setEnabled(true);
        if (focusList)
            ui->modList->setFocus(Qt::OtherFocusReason);
        connect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::mountMod);
    }
    // Whatever asked for this display, a running mount or unmount keeps its controls.
    const bool busy = mountCommands->isBusy();
    ui->toggleMountBtn->setEnabled(!busy);
    mountAction->setEnabled(!busy);
    ui->actionPreviewMount->setEnabled(!busy);
    ui->actionCheckMount->setEnabled(!busy && mounted);
    ui->actionRepairMount->setEnabled(!busy && mounted);
    updateLaunchIcons();
    ui->gameBar->gameButton()->setEnabled(!busy);
    ui->gameBar->editorButton()->setEnabled(!busy);
}
