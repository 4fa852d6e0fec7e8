// The main window's mount commands: mount, unmount and check, one at a time.
#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "gamebar.h"
#include "gameprocess.h"
#include "mountstate.h"
#include "pathnames.h"
#include "resultwording.h"
#include "settings.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QPushButton>

#include <algorithm>

void MainWindow::mountMod()
{
    if (refusedWhileMountRuns())
        return;
    disableMountCommands();
    ui->modList->setEnabled(false);
    ui->gameBar->gameButton()->setEnabled(false);
    ui->gameBar->editorButton()->setEnabled(false);

    MountState state(config.get());
    // The records are the truth: a new mount would overwrite what they still list.
    if (state.recoverFromRecords()) {
        reportUnsavedState(state);
        refresh(tr("Already mounted: %1").arg(state.mountedMod()), QString(), true);
        return;
    }
    if (state.isMounted()) {
        refuseMountCommand(tr("Already mounted: %1").arg(state.mountedMod()), false);
        return;
    }
    if (!modSelected()) {
        refuseMountCommand(tr("Select a mod to mount."), false);
        return;
    }
    const int row = ui->modList->currentRow();
    const QString name = ui->modList->item(row, 0)->text();
    setStatus(tr("Mounting %1...").arg(name), false);
    if (!QFileInfo(setting(ConfigKey::gamePath)).isDir()) {
        refuseMountCommand(tr("Invalid Warcraft III folder."), true);
        return;
    }
    // A game folder stored before such folders were refused in Settings.
    if (config->isOwnFolder(config->get(ConfigKey::gamePath))) {
        refuseMountCommand(Settings::ownFolderRefusal(), true);
        return;
    }
    if (!PathNames::isStorableModName(name)) {
        // Such a name could not be written to config.cfg as it is.
        refuseMountCommand(tr("Failed to mount %1.").arg(name), true);
        return;
    }
    if (refusedWhileGameRuns())
        return;
    if (!state.begin(name, ui->modList->item(row, 1)->text(), ui->modList->item(row, 2)->text())) {
        refuseMountCommand(ResultWording::saveFailure(config->configPath), true);
        return;
    }

    Controller *controller = newMountOperation(name);
    connect(controller, &Controller::resultReady, this, &MainWindow::mountModReady);
    controller->mount();
}

void MainWindow::unmountMod()
{
    if (refusedWhileMountRuns())
        return;
    disableMountCommands();
    ui->gameBar->gameButton()->setEnabled(false);
    ui->gameBar->editorButton()->setEnabled(false);
    const QString mounted = MountState(config.get()).mountedMod();
    if (mounted.isEmpty()) {
        refuseMountCommand(tr("No mod mounted."), false);
        return;
    }
    if (refusedWhileGameRuns())
        return;
    setStatus(tr("Unmounting %1...").arg(mounted), false);
    Controller *controller = newMountOperation(mounted);
    connect(controller, &Controller::resultReady, this, &MainWindow::unmountModReady);
    controller->unmount();
}

void MainWindow::checkMod()
{
    if (Controller *controller = newMountedModOperation(Operation::Check)) {
        connect(controller, &Controller::resultReady, this, &MainWindow::checkModReady);
        controller->check();
    }
}

void MainWindow::repairMod()
{
    if (Controller *controller = newMountedModOperation(Operation::Repair)) {
        connect(controller, &Controller::resultReady, this, &MainWindow::repairModReady);
        controller->repair();
    }
}

Controller *MainWindow::newMountedModOperation(Operation operation)
{
    if (refusedWhileMountRuns())
        return nullptr;
    const QString mounted = MountState(config.get()).mountedMod();
    if (mounted.isEmpty()) {
        refuseMountCommand(tr("No mod mounted."), false);
        return nullptr;
    }
    disableMountCommands();
    // A check only reads.
    if (operation == Operation::Repair && refusedWhileGameRuns())
        return nullptr;
    setStatus(ResultWording::actionWords(operation).ongoing + QLatin1Char(' ') + mounted +
                  QStringLiteral("..."),
              false);
    return newMountOperation(mounted);
}

void MainWindow::disableMountCommands()
{
    ui->toggleMountBtn->setEnabled(false);
    mountAction->setEnabled(false);
    ui->actionCheckMount->setEnabled(false);
    ui->actionRepairMount->setEnabled(false);
}

void MainWindow::refuseMountCommand(const QString &text, bool error)
{
    setStatus(text, error);
    showMountState(true);
}

bool MainWindow::mountOperationBusy() const
{
    const QList<Controller *> live = liveOperations();
    return std::any_of(live.begin(), live.end(), [](Controller *operation) {
        return operation->operation() != Operation::Add &&
               operation->operation() != Operation::Delete && !operation->isSettled();
    });
}

bool MainWindow::refusedWhileGameRuns()
{
    // The game holds its files open: renaming them would fail part way through on Windows,
    // and elsewhere leave the game reading a mix of old and new files.
    if (!GameProcess::runsFrom(setting(ConfigKey::gamePath)))
        return false;
    refuseMountCommand(tr("Close Warcraft III before mounting or unmounting mods."), true);
    return true;
}

bool MainWindow::refusedWhileMountRuns()
{
    if (mountOperationBusy())
        setStatus(tr("A mount or unmount is still running."), false);
    return mountOperationBusy();
}

Controller *MainWindow::newMountOperation(const QString &modName)
{
    Controller *controller = newOperation(modName);
    // Queued: the commands are given back once it is wholly gone.
    connect(
        controller, &QObject::destroyed, this, [this] { showMountState(false); },
        Qt::QueuedConnection);
    return controller;
}
