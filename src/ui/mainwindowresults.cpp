// The main window's result slots: each words a finished mount, unmount, add or delete, keeps
// the mount state, and rebuilds the list.
#include "mainwindow.h"

#include "configstore.h"
#include "fileoutcome.h"
#include "mountstate.h"
#include "resultwording.h"

void MainWindow::mountModReady(const QString &modName, int done, int failed, int missing,
                               bool aborted)
{
    mountResultPending = false;
    MountState state(config.get());
    const bool rescan = state.mountFinished(OutcomeCounts{done, failed, missing}, aborted);
    reportUnsavedState(state);
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(QStringLiteral("Mounting"), modName, done, failed, missing,
                                         aborted, false),
            modName, rescan);
}

void MainWindow::unmountModReady(const QString &modName, int done, int failed, int missing,
                                 bool aborted, bool forced)
{
    mountResultPending = false;
    MountState state(config.get());
    const bool rescan =
        state.unmountFinished(OutcomeCounts{done, failed, missing}, aborted, forced);
    reportUnsavedState(state);
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(QStringLiteral("Unmounting"), modName, done, failed,
                                         missing, aborted, forced),
            modName, rescan);
}

void MainWindow::addModReady(const QString &modName, int done, int failed, int missing,
                             bool aborted)
{
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(QStringLiteral("Adding"), modName, done, failed, missing,
                                         aborted, false),
            modName, true);
}

void MainWindow::deleteModReady(const QString &modName, int done, int failed, int missing,
                                bool aborted)
{
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(QStringLiteral("Deleting"), modName, done, failed, missing,
                                         aborted, false),
            modName, true);
}

void MainWindow::checkModReady(const QString &modName, int done, int failed, int missing,
                               bool aborted)
{
    mountResultPending = false;
    if (closeIfQuitting())
        return;
    // Nothing changed on disk or in the settings: the list stays as it is.
    refresh(ResultWording::statusSummary(QStringLiteral("Checking"), modName, done, failed, missing,
                                         aborted, false),
            QString(), false);
}

void MainWindow::repairModReady(const QString &modName, int done, int failed, int missing,
                                bool aborted)
{
    mountResultPending = false;
    MountState state(config.get());
    state.repairFinished(OutcomeCounts{done, failed, missing}, aborted);
    reportUnsavedState(state);
    if (closeIfQuitting())
        return;
    refresh(ResultWording::statusSummary(QStringLiteral("Repairing"), modName, done, failed,
                                         missing, aborted, false),
            modName, true);
}

void MainWindow::reportUnsavedState(const MountState &state)
{
    if (state.saveFailed())
        setStatus(ResultWording::saveFailure(config->configPath), true);
}
