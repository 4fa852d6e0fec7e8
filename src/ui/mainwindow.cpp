#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "gamelauncher.h"
#include "gameregistry.h"
#include "resultwording.h"
#include "scanqueue.h"
#include "settings.h"
#include "ui_about.h"
#include "ui_mainwindow.h"
#include "worker.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace
{

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

std::string toUtf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString cleanAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

// A mod's name is one plain folder name: anything else would reach outside the mods folder,
// or break the line format of config.cfg.
bool isPlainFolderName(const QString &name)
{
    static const QString forbidden = QStringLiteral("/\\\n\r");
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : forbidden)
        if (name.contains(c))
            return false;
    return true;
}

const QString placeholderSize = QStringLiteral("0 MB");
const QString placeholderCount = QStringLiteral("0 files");

} // namespace

MainWindow::MainWindow(QWidget *parent) : MainWindow(std::make_unique<ConfigStore>(), parent) {}

MainWindow::MainWindow(const std::string &applicationDir, QWidget *parent)
    : MainWindow(std::make_unique<ConfigStore>(applicationDir), parent)
{
}

MainWindow::MainWindow(std::unique_ptr<ConfigStore> store, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), war3Icon(QStringLiteral(":/icons/war3.png")),
      war3ModIcon(QStringLiteral(":/icons/war3_mod.png")),
      war3xIcon(QStringLiteral(":/icons/war3x.png")),
      war3xModIcon(QStringLiteral(":/icons/war3x_mod.png")),
      worldEditIcon(QStringLiteral(":/icons/worldedit.png")),
      worldEditModIcon(QStringLiteral(":/icons/worldedit_mod.png")), config(std::move(store))
{
    ui->setupUi(this);
    scans = new ScanQueue(this, config.get(), this);
    connect(scans, &ScanQueue::scanModUpdate, this, &MainWindow::scanModUpdate);
    // Only the disabled look carries the picture: the list is disabled while a mod is mounted.
    warningIcon.addPixmap(QPixmap(QStringLiteral(":/icons/warning.png")), QIcon::Disabled,
                          QIcon::Off);

    // Made here already, because every refresh sets whether it can be used.
    mountAction = new QAction(tr("Mount"), ui->modList);
    // Before any connection, so filling the option boxes writes nothing back.
    refresh(tr("Setting up UI..."), QString(), true);

    connect(ui->actionOpenGameFolder, &QAction::triggered, this, &MainWindow::openGameFolder);
    connect(ui->actionOpenModsFolder, &QAction::triggered, this, &MainWindow::openModsFolder);
    connect(ui->actionSettings, &QAction::triggered, this, &MainWindow::openSettings);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::openAbout);
    connect(ui->gameBtn, &QPushButton::clicked, this, &MainWindow::launchGame);
    connect(ui->editorBtn, &QPushButton::clicked, this, &MainWindow::launchEditor);
    connect(ui->allowFilesCbx, &QCheckBox::stateChanged, this, &MainWindow::setAllowFiles);
    connect(ui->gameVersionCbx, &QCheckBox::stateChanged, this, &MainWindow::setGameVersion);
    connect(ui->addModBtn, &QPushButton::clicked, this, &MainWindow::addMod);
    connect(ui->refreshBtn, &QPushButton::clicked, this, [this] { refresh(); });
    connect(ui->modList, &QTableWidget::itemDoubleClicked, this, &MainWindow::renameModStart);
    ui->modList->addAction(mountAction);
    connect(mountAction, &QAction::triggered, this, &MainWindow::mountMod);
    ui->modList->addAction(ui->actionOpen);
    connect(ui->actionOpen, &QAction::triggered, this, &MainWindow::openModFolder);
    ui->modList->addAction(ui->actionRename);
    connect(ui->actionRename, &QAction::triggered, this, &MainWindow::renameModAction);
    ui->modList->addAction(ui->actionDelete);
    connect(ui->actionDelete, &QAction::triggered, this, &MainWindow::deleteMod);

    setStatus(tr("Ready."), false);
}

MainWindow::~MainWindow()
{
    // No Worker reads the store, but every operation's thread ends with the window all the same.
    abortRunningOperations();
    releaseOperations();
    delete ui;
}

QString MainWindow::setting(const char *key) const
{
    return fromUtf8(config->get(key));
}

QString MainWindow::modsPath() const
{
    return fromUtf8(config->modsPath);
}

// ---------------------------------------------------------------------------------------------
// The list

void MainWindow::refresh(const QString &text, const QString &select, bool rescan)
{
    readAllowFiles();
    readGameVersion();
    QString statusText = text;
    if (rescan) {
        const std::string mountedBytes = config->get("Mounted");
        const QString mounted = fromUtf8(mountedBytes);
        QString wanted = select;
        int target = -1;
        if (!mounted.isEmpty())
            wanted = mounted;
        else if (wanted.isEmpty())
            target = ui->modList->currentRow();

        scans->startNewList();
        const QStringList names = modFolderNames();
        ui->modList->clearContents();
        ui->modList->setRowCount(0);
        // All rows at once: inserting them one by one costs time for every row already there.
        ui->modList->setRowCount(names.size());
        nameColumnFit = 0;
        // Hiding a row of a list on screen would otherwise update the list each time.
        ui->modList->setUpdatesEnabled(false);

        for (int row = 0; row < names.size(); ++row) {
            const QString &name = names[row];
            QString size = placeholderSize;
            QString count = placeholderCount;
            if (name == wanted)
                target = row;
            const bool isMounted = !mountedBytes.empty() && toUtf8(name) == mountedBytes;
            if (isMounted) {
                size = setting("MountedSize");
                count = setting("MountedCount");
            } else {
                ui->modList->setRowHidden(row, true);
            }
            ui->modList->setItem(row, 0, new QTableWidgetItem(name));
            ui->modList->setItem(row, 1, new QTableWidgetItem(size));
            ui->modList->setItem(row, 2, new QTableWidgetItem(count));
            if (isMounted) {
                const QString warning = mountedWarning();
                if (!warning.isEmpty()) {
                    ui->modList->item(row, 0)->setIcon(warningIcon);
                    ui->modList->item(row, 0)->setToolTip(warning);
                }
                ui->modList->resizeColumnToContents(0);
                nameColumnFit = nameWidth(row);
                if (target >= 0 && target < ui->modList->rowCount()) {
                    ui->modList->scrollToItem(ui->modList->item(target, 0));
                    ui->modList->setFocus(Qt::OtherFocusReason);
                }
            } else {
                scans->add(name, row);
            }
        }

        ui->modList->setUpdatesEnabled(true);
        if (target >= 0 && target < ui->modList->rowCount()) {
            ui->modList->selectRow(target);
        } else if (!mounted.isEmpty()) {
            // The mounted mod's folder went away outside the program: bring back an empty one
            // so that it can still be unmounted.
            if (QDir().mkdir(modsPath() + QLatin1Char('/') + wanted)) {
                refresh(text, wanted, true);
                return;
            }
            statusText = tr("Failed to create folder for ") + wanted + QLatin1Char('.');
        }
    }
    showMountState(false);
    setStatus(statusText.isEmpty() ? tr("Runemount refreshed.") : statusText, false);
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

QString MainWindow::mountedWarning() const
{
    QStringList parts = setting("MountedError").split(QLatin1Char(';'));
    parts.removeAll(QString());
    if (parts.isEmpty())
        return QString();
    QString tip = tr("Warning:");
    for (int i = 0; i < parts.size(); ++i) {
        // Only a repeat of the part right before is left out; numbers keep their positions.
        if (i > 0 && parts[i] == parts[i - 1])
            continue;
        tip += QStringLiteral("\n(") + QString::number(i + 1) + QStringLiteral(") ") + parts[i];
    }
    return tip;
}

void MainWindow::scanModUpdate(int row, const QString &size, const QString &count)
{
    if (row < 0 || row >= ui->modList->rowCount())
        return;
    if (size != placeholderSize)
        ui->modList->item(row, 1)->setText(size);
    if (count != placeholderCount)
        ui->modList->item(row, 2)->setText(count);
    if (!ui->modList->isRowHidden(row))
        return;
    if (count == placeholderCount && size == placeholderSize && config->get("hideEmptyMods") == "1")
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

void MainWindow::showMountState(bool focusList)
{
    disconnect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::unmountMod);
    disconnect(ui->toggleMountBtn, &QPushButton::clicked, this, &MainWindow::mountMod);
    if (!config->get("Mounted").empty()) {
        ui->toggleMountBtn->setText(tr("Un&mount"));
        ui->modList->setStyleSheet(tr("QTableWidget::item:selected { border: 2px dashed #bcbe00;") +
                                   tr("border-top-color: #f7f500; border-bottom-color: #f7f500;") +
                                   tr("color: #eee; background-color: #555; }"));
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
    const bool busy = mountOperationBusy();
    ui->toggleMountBtn->setEnabled(!busy);
    mountAction->setEnabled(!busy);
    updateLaunchIcons();
    ui->gameBtn->setEnabled(!busy);
    ui->editorBtn->setEnabled(!busy);
}

void MainWindow::updateLaunchIcons()
{
    const bool modActive = ui->allowFilesCbx->isChecked() && !config->get("Mounted").empty();
    const bool expansion = ui->gameVersionCbx->isChecked();
    if (modActive)
        ui->gameBtn->setIcon(expansion ? war3xModIcon : war3ModIcon);
    else
        ui->gameBtn->setIcon(expansion ? war3xIcon : war3Icon);
    ui->editorBtn->setIcon(modActive ? worldEditModIcon : worldEditIcon);
}

void MainWindow::readAllowFiles()
{
    readOption(L"Allow Local Files", ui->allowFilesCbx,
               tr("Failed to get Allow Local Files setting."));
}

void MainWindow::readGameVersion()
{
    readOption(L"Preferred Game Version", ui->gameVersionCbx,
               tr("Failed to get Preferred Game Version."));
}

void MainWindow::readOption(const wchar_t *valueName, QCheckBox *box, const QString &failure)
{
    const std::string value = readGameValue(valueName, GameValueKind::Number);
    if (value == "0")
        box->setChecked(false);
    else if (value == "1")
        box->setChecked(true);
    else
        setStatus(failure, false);
    updateLaunchIcons();
}

void MainWindow::setStatus(const QString &text, bool error)
{
    ui->statusBarLbl->setText(text);
    if (error)
        QMessageBox::warning(this, tr("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

bool MainWindow::modSelected()
{
    // The list makes a row current without selecting it when it gets the focus; only a row the
    // user can see highlighted counts.
    const int row = ui->modList->currentRow();
    if (row >= 0 && row < ui->modList->rowCount() &&
        ui->modList->selectionModel()->isRowSelected(row, QModelIndex()))
        return true;
    setStatus(tr("No mod selected."), false);
    return false;
}

// ---------------------------------------------------------------------------------------------
// Game launch and game options

void MainWindow::launchGame()
{
    launch(QStringLiteral("/Warcraft III.exe"), tr("Launching game..."), tr("Game launched."),
           tr("Failed to launch Warcraft III.exe"));
}

void MainWindow::launchEditor()
{
    launch(QStringLiteral("/World Editor.exe"), tr("Launching editor..."), tr("Editor launched."),
           tr("Failed to launch World Editor.exe"));
}

void MainWindow::launch(const QString &executable, const QString &before, const QString &success,
                        const QString &failure)
{
    refresh(before, QString(), false);
    if (GameLauncher::start(setting("GamePath") + executable))
        setStatus(success, false);
    else
        setStatus(failure, true);
}

void MainWindow::setAllowFiles()
{
    writeOption(L"Allow Local Files", ui->allowFilesCbx, tr("Allow Local Files"),
                tr("Failed to set Allow Local Files."), &MainWindow::readAllowFiles);
}

void MainWindow::setGameVersion()
{
    writeOption(L"Preferred Game Version", ui->gameVersionCbx, tr("Expansion"),
                tr("Failed to set Preferred Game Version."), &MainWindow::readGameVersion);
}

void MainWindow::writeOption(const wchar_t *valueName, QCheckBox *box, const QString &name,
                             const QString &failure, void (MainWindow::*reread)())
{
    const bool checked = box->isChecked();
    if (writeGameDword(valueName, checked ? 1 : 0))
        setStatus(name + (checked ? tr(" enabled.") : tr(" disabled.")), false);
    else
        setStatus(failure, true);
    updateLaunchIcons();
    // Read back once the click that got here has finished: while a button handles a click it
    // does not report state changes, so setting it back from inside would neither write the
    // stored value again nor let the next click be noticed.
    QMetaObject::invokeMethod(
        this, [this, reread] { (this->*reread)(); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Mod commands

void MainWindow::mountMod()
{
    if (refusedWhileMountRuns())
        return;
    ui->toggleMountBtn->setEnabled(false);
    ui->modList->setEnabled(false);
    ui->gameBtn->setEnabled(false);
    ui->editorBtn->setEnabled(false);

    const QString mounted = setting("Mounted");
    if (!mounted.isEmpty()) {
        setStatus(tr("Already mounted: ") + mounted, false);
        showMountState(true);
        return;
    }
    if (!modSelected()) {
        setStatus(tr("Select a mod to mount."), false);
        showMountState(true);
        return;
    }
    const int row = ui->modList->currentRow();
    const QString gamePath = setting("GamePath");
    const QString name = ui->modList->item(row, 0)->text();
    setStatus(tr("Mounting ") + name + QStringLiteral("..."), false);
    if (!QFileInfo(gamePath).isDir()) {
        setStatus(tr("Invalid Warcraft III folder."), true);
        showMountState(true);
        return;
    }
    if (!isPlainFolderName(name)) {
        // Such a name could not be written to config.cfg as it is.
        setStatus(tr("Failed to mount ") + name + QLatin1Char('.'), true);
        showMountState(true);
        return;
    }
    config->set("Mounted", toUtf8(name));
    config->set("MountedSize", toUtf8(ui->modList->item(row, 1)->text()));
    config->set("MountedCount", toUtf8(ui->modList->item(row, 2)->text()));
    config->save();

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
    const QString mounted = setting("Mounted");
    if (mounted.isEmpty()) {
        setStatus(tr("No mod mounted."), false);
        showMountState(true);
        return;
    }
    setStatus(tr("Unmounting ") + mounted + QStringLiteral("..."), false);
    Controller *controller = startMountOperation(QStringLiteral("Unmounting"), mounted);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::unmountModReady);
    emit controller->unmountMod(false);
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

    QMessageBox question(QMessageBox::Warning, tr("Copy or move?"),
                         tr("Do you want to copy or move this folder?\n") + chosen,
                         QMessageBox::NoButton, this);
    QPushButton *moveButton = question.addButton(tr("Move"), QMessageBox::ActionRole);
    QPushButton *copyButton = question.addButton(tr("Copy"), QMessageBox::ActionRole);
    question.addButton(QMessageBox::Cancel);
    question.exec();
    int mode;
    if (question.clickedButton() == moveButton)
        mode = Move;
    else if (question.clickedButton() == copyButton)
        mode = Copy;
    else
        return;

    // The mods folder must not end up inside itself, nor be moved away.
    const QString source = cleanAbsolute(chosen);
    const QString mods = cleanAbsolute(modsPath());
    if (isInside(source, mods) || isInside(mods, source)) {
        setStatus(tr("Cannot add this folder: it is the mods folder, lies inside it or holds it."),
                  true);
        return;
    }
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
        if (isPlainFolderName(newName) &&
            QDir().rename(oldPath, modsPath() + QLatin1Char('/') + newName)) {
            select = newName;
            result = renameFrom + tr(" renamed to ") + newName + QLatin1Char('.');
        } else {
            result = tr("Failed to rename mod.");
        }
    }
    renameFrom.clear();
    renameItem = nullptr;
    // After the list has finished with its editor: rebuilding the list from inside the commit
    // would leave it stuck in its editing state, refusing every later rename.
    QMetaObject::invokeMethod(
        this, [this, result, select] { refresh(result, select, true); }, Qt::QueuedConnection);
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
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
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
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(setting("GamePath")));
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

void MainWindow::openSettings()
{
    if (!settingsDialog)
        settingsDialog = new Settings(this, config.get());
    if (settingsDialog->exec() == QDialog::Accepted)
        refresh(tr("Settings saved."), QString(), true);
}

void MainWindow::openAbout()
{
    if (!aboutDialog) {
        aboutDialog = new QDialog(this);
        Ui::About form; // only needed while building the dialog
        form.setupUi(aboutDialog);
        aboutDialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    }
    aboutDialog->show();
}

// ---------------------------------------------------------------------------------------------
// Results

bool MainWindow::recordsAreEmpty() const
{
    for (const std::string &path : {config->outFilesPath, config->backupFilesPath}) {
        QFile record(fromUtf8(path));
        if (record.open(QIODevice::ReadOnly) && !record.readAll().trimmed().isEmpty())
            return false;
    }
    return true;
}

void MainWindow::mountModReady(const QString &modName, int done, int failed, int missing,
                               bool aborted)
{
    mountResultPending = false;
    bool rescan = false;
    // A mount that placed nothing is forgotten, unless a game entry it set aside could not be
    // put back: then the records still hold something an unmount has to undo.
    if (done == 0 && recordsAreEmpty()) {
        config->erase("Mounted");
        config->erase("MountedSize");
        config->erase("MountedCount");
        config->erase("MountedError");
        config->save();
    } else if (aborted || failed + missing > 0) {
        config->set("MountedError",
                    ResultWording::errorRecord("Mounting", done, failed, missing, aborted));
        config->save();
        rescan = true;
    }
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
    bool rescan;
    // An aborted forced pass keeps what it did not reach on record, so the mount stays.
    if ((forced && !aborted) || (!aborted && failed + missing == 0)) {
        config->erase("Mounted");
        config->erase("MountedSize");
        config->erase("MountedCount");
        config->erase("MountedError");
        rescan = true;
    } else {
        const std::string record =
            ResultWording::errorRecord("Unmounting", done, failed, missing, aborted);
        const std::string current = config->get("MountedError");
        config->set("MountedError", current.empty() ? record : current + ";" + record);
        rescan = false;
    }
    config->save();
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

// ---------------------------------------------------------------------------------------------
// Quitting

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!quitting && hasRunningOperation()) {
        const auto answer = QMessageBox::question(
            this, tr("Quit?"), tr("An operation is still running. Abort it and quit?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        quitting = true;
        centralWidget()->setEnabled(false);
        menuBar()->setEnabled(false);
        abortRunningOperations();
    }
    if (hasRunningOperation()) {
        // Closed again by the result slot of the last one, once its bookkeeping is done.
        event->ignore();
        return;
    }
    releaseOperations();
    event->accept();
}

QList<Controller *> MainWindow::liveOperations() const
{
    QList<Controller *> live;
    if (mountOperation)
        live << mountOperation;
    for (const QPointer<Controller> &operation : fileOperations)
        if (operation)
            live << operation;
    return live;
}

bool MainWindow::hasRunningOperation() const
{
    const QList<Controller *> live = liveOperations();
    return mountResultPending || std::any_of(live.begin(), live.end(), [](Controller *operation) {
               return operation->isRunning();
           });
}

void MainWindow::abortRunningOperations()
{
    for (Controller *operation : liveOperations())
        if (operation->isRunning())
            operation->requestAbort();
    scans->startNewList();
}

bool MainWindow::closeIfQuitting()
{
    if (quitting)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return quitting;
}

void MainWindow::releaseOperations()
{
    // Deleting a Controller closes its dialog and joins its thread.
    scans->release();
    for (Controller *operation : liveOperations())
        delete operation;
    fileOperations.clear();
}
