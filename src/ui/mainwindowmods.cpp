// The main window's mod commands: mount and unmount, add, rename, delete and open, each with
// the slot that takes its result.
#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "fileoutcome.h"
#include "mountstate.h"
#include "pathnames.h"
#include "resultwording.h"
#include "settings.h"
#include "ui_mainwindow.h"
#include "worker.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

// Here, where the window is known, so that the control layer needs nothing of it but its store.
Controller::Controller(MainWindow *mainWindow, QString actionName, QString mod, bool showsDialog)
    : Controller(mainWindow, mainWindow->configStore(), std::move(actionName), std::move(mod),
                 showsDialog)
{
}

void MainWindow::mountMod()
{
    if (refusedWhileMountRuns())
        return;
    ui->toggleMountBtn->setEnabled(false);
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
    ui->toggleMountBtn->setEnabled(false);
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

Controller *MainWindow::startFileOperation(const QString &action, const QString &modName)
{
    auto *controller = new Controller(this, action, modName, true);
    fileOperations.removeAll(QPointer<Controller>());
    fileOperations << QPointer<Controller>(controller);
    return controller;
}

void MainWindow::addMod()
{
    setStatus(tr("Adding mod..."), false);
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Add Mod"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::HideNameFilterDetails);
    if (chosen.isEmpty())
        return;
    // Before asking anything: the mods folder must not end up inside itself, nor be moved away,
    // and the game folder (with our links and backups) never becomes a mod.
    const QString refusal = addRefusal(chosen);
    if (!refusal.isEmpty()) {
        setStatus(refusal, true);
        return;
    }

    QMessageBox question(QMessageBox::Warning, tr("Copy or move?"),
                         tr("Do you want to copy or move this folder?\n") + chosen,
                         QMessageBox::NoButton, this);
    QPushButton *moveButton = question.addButton(tr("Move"), QMessageBox::ActionRole);
    QPushButton *copyButton = question.addButton(tr("Copy"), QMessageBox::ActionRole);
    question.addButton(QMessageBox::Cancel);
    // Moving empties the chosen folder: that takes a click, never just Enter.
    question.setDefaultButton(copyButton);
    question.exec();
    TransferMode mode;
    if (question.clickedButton() == moveButton)
        mode = Move;
    else if (question.clickedButton() == copyButton)
        mode = Copy;
    else
        return;

    const QString name = QDir(chosen).dirName();
    const QString target = modsPath() + QLatin1Char('/') + name;
    if (QFileInfo(target).isDir()) {
        setStatus(tr("A mod with that name already exists."), true);
        return;
    }
    setStatus(tr("Adding ") + name + QStringLiteral("..."), false);
    Controller *controller = startFileOperation(QStringLiteral("Adding"), name);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::addModReady);
    emit controller->moveFolder(chosen, target, mode);
}

QString MainWindow::addRefusal(const QString &chosen) const
{
    const QString mods = modsPath();
    if (PathNames::liesWithin(chosen, mods) || PathNames::liesWithin(mods, chosen))
        return tr("Cannot add this folder: it is the mods folder, lies inside it or holds it.");
    const QString game = setting(ConfigKey::gamePath);
    if (PathNames::liesWithin(chosen, game) || PathNames::liesWithin(game, chosen))
        return tr("Cannot add this folder: it is the Warcraft III folder, lies inside it or "
                  "holds it.");
    return QString();
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
    disconnect(ui->modList, &QTableWidget::itemChanged, this, &MainWindow::renameModSave);
    QString result;
    QString select = renameFrom;
    const QString oldPath = modsPath() + QLatin1Char('/') + renameFrom;
    if (item != renameItem) {
        result = tr("Saving wrong item.");
    } else if (!QFileInfo(oldPath).isDir()) {
        result = tr("Mod not found.");
    } else {
        const QString newName = item->text();
        result = renameRefusal(oldPath, newName);
        if (result.isEmpty()) {
            if (QDir().rename(oldPath, modsPath() + QLatin1Char('/') + newName)) {
                select = newName;
                result = renameFrom + tr(" renamed to ") + newName + QLatin1Char('.');
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

QString MainWindow::renameRefusal(const QString &oldPath, const QString &newName) const
{
    // A hidden folder would drop out of the list; a slash would leave the mods folder.
    if (newName.startsWith(QLatin1Char('.')) || newName.contains(QLatin1Char('/')) ||
        newName.contains(QLatin1Char('\\')))
        return tr("Mod names cannot start with a dot or contain a slash or backslash.");
    // A name that could not be mounted later is refused now.
    if (!PathNames::isStorableModName(newName))
        return tr("Failed to rename mod.");
    // Only a change of letter case may name the same folder again.
    const QString newPath = modsPath() + QLatin1Char('/') + newName;
    if (QFileInfo::exists(newPath) && !PathNames::samePath(oldPath, newPath))
        return tr("A mod with that name already exists.");
    return QString();
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
        this, tr("Permanently delete ") + name + QLatin1Char('?'),
        tr("Are you sure you want to PERMANENTLY delete ") + name + QStringLiteral(" (") + size +
            QStringLiteral(" / ") + count + QStringLiteral(")?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    setStatus(tr("Deleting ") + name + QStringLiteral("..."), false);
    Controller *controller = startFileOperation(QStringLiteral("Deleting"), name);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::deleteModReady);
    emit controller->deleteMod();
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
    const QString label = tr("Mods");
    setStatus(tr("Opening ") + label + tr(" folder..."), false);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    setStatus(opened ? label + tr(" folder opened.")
                     : tr("Failed to open ") + label + tr(" folder."),
              false);
}
