// The main window's result slots: each words its operation's result and rebuilds the list.
#include "mainwindow.h"

#include "resultwording.h"

void MainWindow::mountCommandFinished(const OperationResult &result, bool rescan)
{
    // A check changed nothing: the list stays as it is, selection included.
    const bool checked = result.operation == Operation::Check;
    showResult(result, checked ? QString() : result.modName, rescan);
}

void MainWindow::addModReady(const OperationResult &result)
{
    showResult(result, result.modName, true);
}

void MainWindow::deleteModReady(const OperationResult &result)
{
    showResult(result, result.modName, true);
}

void MainWindow::showResult(const OperationResult &result, const QString &select, bool rescan)
{
    if (closeIfQuitting())
        return;
    // Once the operation's own slots have returned, it no longer counts as running.
    QMetaObject::invokeMethod(this, &MainWindow::answerQuitQuestionIfDone, Qt::QueuedConnection);
    refresh(ResultWording::statusSummary(result), select, rescan);
}
