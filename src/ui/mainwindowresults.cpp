// The main window's result slots: each keeps what its operation means for the mount state, then
// words the result and rebuilds the list.
#include "mainwindow.h"

#include "configstore.h"
#include "mountstate.h"
#include "resultwording.h"

void MainWindow::mountModReady(const OperationResult &result)
{
    MountState state(config.get());
    const bool rescan = state.mountFinished(result.counts, result.aborted);
    reportUnsavedState(state);
    showResult(result, result.modName, rescan);
}

void MainWindow::unmountModReady(const OperationResult &result)
{
    MountState state(config.get());
    const bool rescan = state.unmountFinished(result.counts, result.aborted, result.forced);
    reportUnsavedState(state);
    showResult(result, result.modName, rescan);
}

void MainWindow::addModReady(const OperationResult &result)
{
    showResult(result, result.modName, true);
}

void MainWindow::deleteModReady(const OperationResult &result)
{
    showResult(result, result.modName, true);
}

void MainWindow::checkModReady(const OperationResult &result)
{
    // Nothing changed on disk or in the settings: the list stays as it is.
    showResult(result, QString(), false);
}

void MainWindow::repairModReady(const OperationResult &result)
{
    MountState state(config.get());
    state.repairFinished(result.counts, result.aborted);
    reportUnsavedState(state);
    showResult(result, result.modName, true);
}

void MainWindow::showResult(const OperationResult &result, const QString &select, bool rescan)
{
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(result), select, rescan);
}

void MainWindow::reportUnsavedState(const MountState &state)
{
    if (state.saveFailed())
        setStatus(ResultWording::saveFailure(config->configPath), true);
}
