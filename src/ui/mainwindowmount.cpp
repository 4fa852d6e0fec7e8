// The main window's mount commands: mount, unmount and check, one at a time.
#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "mountstate.h"
#include "pathnames.h"
#include "resultwording.h"
#include "settings.h"
#include "ui_mainwindow.h"
#include "worker.h"

#include <QFileInfo>

void MainWindow::mountMod()
{
    if (refusedWhileMountRuns())
        return;
    disableMountCommands();
    ui->modList->setEnabled(false);
    ui->gameBtn->setEnabled(false);
    ui->editorBtn->setEnabled(false);

    MountState state(config.get());
    // The records are the truth: a new mount would overwrite what they still list.
    if (state.recoverFromRecords()) {
        reportUnsavedState(state);
        refresh(tr("Already mounted: ") + state.mountedMod(), QString(), true);
        return;
    }
    if (state.isMounted()) {
        refuseMountCommand(tr("Already mounted: ") + state.mountedMod(), false);
        return;
    }
    if (!modSelected()) {
        refuseMountCommand(tr("Select a mod to mount."), false);
        return;
    }
    const int row = ui->modList->currentRow();
    const QString name = ui->modList->item(row, 0)->text();
    setStatus(tr("Mounting ") + name + QStringLiteral("..."), false);
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
        refuseMountCommand(tr("Failed to mount ") + name + QLatin1Char('.'), true);
        return;
    }
    if (!state.begin(name, ui->modList->item(row, 1)->text(), ui->modList->item(row, 2)->text())) {
        refuseMountCommand(ResultWording::saveFailure(config->configPath), true);
        return;
    }

    Controller *controller = startMountOperation(QStringLiteral("Mounting"), name);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::mountModReady);
    emit controller->mountMod();
}

void MainWindow::unmountMod()
{
    if (refusedWhileMountRuns())
        return;
    disableMountCommands();
    ui->gameBtn->setEnabled(false);
    ui->editorBtn->setEnabled(false);
    const QString mounted = MountState(config.get()).mountedMod();
    if (mounted.isEmpty()) {
        refuseMountCommand(tr("No mod mounted."), false);
        return;
    }
    setStatus(tr("Unmounting ") + mounted + QStringLiteral("..."), false);
    Controller *controller = startMountOperation(QStringLiteral("Unmounting"), mounted);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::unmountModReady);
    emit controller->unmountMod(false);
}

void MainWindow::checkMod()
{
    if (Controller *controller = startMountedModOperation(QStringLiteral("Checking"))) {
        connect(controller->worker, &Worker::resultReady, this, &MainWindow::checkModReady);
        emit controller->checkMod();
    }
}

void MainWindow::repairMod()
{
    if (Controller *controller = startMountedModOperation(QStringLiteral("Repairing"))) {
        connect(controller->worker, &Worker::resultReady, this, &MainWindow::repairModReady);
        emit controller->repairMod();
    }
}

Controller *MainWindow::startMountedModOperation(const QString &action)
{
    if (refusedWhileMountRuns())
        return nullptr;
    const QString mounted = MountState(config.get()).mountedMod();
    if (mounted.isEmpty()) {
        refuseMountCommand(tr("No mod mounted."), false);
        return nullptr;
    }
    disableMountCommands();
    setStatus(action + QLatin1Char(' ') + mounted + QStringLiteral("..."), false);
    return startMountOperation(action, mounted);
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
    return mountResultPending || mountOperation;
}

bool MainWindow::refusedWhileMountRuns()
{
    if (mountOperationBusy())
        setStatus(tr("A mount or unmount is still running."), false);
    return mountOperationBusy();
}

Controller *MainWindow::startMountOperation(const QString &action, const QString &modName)
{
    auto *controller = new Controller(this, action, modName, true);
    mountOperation = controller;
    mountResultPending = true;
    // Queued, so that it runs after the result slot that the same result reaches.
    connect(
        controller, &QObject::destroyed, this, [this] { showMountState(false); },
        Qt::QueuedConnection);
    return controller;
}
