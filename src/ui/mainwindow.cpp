#include "mainwindow.h"

#include "configstore.h"
#include "controller.h"
#include "gamebar.h"
#include "gameoptioncalls.h"
#include "labelheight.h"
#include "modtable.h"
#include "mountcommands.h"
#include "resultwording.h"
#include "settings.h"
#include "stagingfolder.h"
#include "ui_about.h"
#include "ui_mainwindow.h"
#include "utf8.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <algorithm>

MainWindow::MainWindow(const GameRegistry &registry, QWidget *parent)
    : MainWindow(std::make_unique<ConfigStore>(&registry), registry, parent)
{
}

MainWindow::MainWindow(const std::string &applicationDir, const GameRegistry &registry,
                       QWidget *parent)
    : MainWindow(std::make_unique<ConfigStore>(applicationDir, &registry), registry, parent)
{
}

MainWindow::MainWindow(std::unique_ptr<ConfigStore> store, const GameRegistry &registry,
                       QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), war3Icon(QStringLiteral(":/icons/war3.png")),
      war3ModIcon(QStringLiteral(":/icons/war3_mod.png")),
      war3xIcon(QStringLiteral(":/icons/war3x.png")),
      war3xModIcon(QStringLiteral(":/icons/war3x_mod.png")),
      worldEditIcon(QStringLiteral(":/icons/worldedit.png")),
      worldEditModIcon(QStringLiteral(":/icons/worldedit_mod.png")), gameRegistry(registry),
      config(std::move(store))
{
    ui->setupUi(this);
    setAcceptDrops(true);
    // What an add cut short by a crash left: removed off the window's thread, since it may be
    // large. Only when there is some, so that no thread is made for nothing.
    if (!StagingFolder::leftovers(modsPath()).isEmpty()) {
        QThread *cleaner =
            QThread::create([folder = modsPath()] { StagingFolder::removeLeftovers(folder); });
        connect(cleaner, &QThread::finished, cleaner, &QObject::deleteLater);
        leftoverCleaner = cleaner;
        cleaner->start();
    }
    modTable = new ModTable(ui->modList, config.get(), this);
    setUpFilter();
    // Records that list a mount nobody remembered are taken up here, before the first refresh.
    mountCommands = new MountCommands(config.get(), this, this);
    connect(mountCommands, &MountCommands::status, this, &MainWindow::setStatus);
    connect(mountCommands, &MountCommands::commandStarted, this, &MainWindow::holdMountCommands);
    connect(mountCommands, &MountCommands::commandsChanged, this, &MainWindow::showMountState);
    connect(mountCommands, &MountCommands::listChanged, this,
            [this](const QString &text) { refresh(text, QString(), true); });
    connect(mountCommands, &MountCommands::finished, this, &MainWindow::mountCommandFinished);
    connect(mountCommands, &MountCommands::hardLinksOffered, this, &MainWindow::offerHardLinks);
    connect(mountCommands, &MountCommands::previewReady, this, &MainWindow::showPreview);
    optionCalls = new GameOptionCalls(gameRegistry, this);
    connect(optionCalls, &GameOptionCalls::readDone, this, &MainWindow::optionRead);
    connect(optionCalls, &GameOptionCalls::writeDone, this, &MainWindow::optionWritten);
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
    connect(ui->actionCheckMount, &QAction::triggered, this, &MainWindow::checkMod);
    connect(ui->actionAddArchive, &QAction::triggered, this, &MainWindow::addArchive);
#ifndef RUNEMOUNT_ARCHIVES
    ui->actionAddArchive->setVisible(false); // this build reads no archives
#endif
    connect(ui->actionRepairMount, &QAction::triggered, this, &MainWindow::repairMod);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::openAbout);
    connect(ui->gameBar->gameButton(), &QPushButton::clicked, this, &MainWindow::launchGame);
    connect(ui->gameBar->editorButton(), &QPushButton::clicked, this, &MainWindow::launchEditor);
    connect(ui->gameBar->allowFilesBox(), &QCheckBox::stateChanged, this,
            &MainWindow::setAllowFiles);
    connect(ui->gameBar->expansionBox(), &QCheckBox::stateChanged, this,
            &MainWindow::setGameVersion);
    connect(ui->addModBtn, &QPushButton::clicked, this, &MainWindow::addMod);
    connect(ui->refreshBtn, &QPushButton::clicked, this, [this] { refresh(); });
    connect(ui->modList, &QTableWidget::itemDoubleClicked, this, &MainWindow::renameModStart);
    connect(ui->modList->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            &MainWindow::renameModEnd);
    ui->modList->addAction(mountAction);
    connect(mountAction, &QAction::triggered, this, &MainWindow::mountMod);
    ui->modList->addAction(ui->actionPreviewMount);
    connect(ui->actionPreviewMount, &QAction::triggered, this, &MainWindow::previewMod);
    ui->modList->addAction(ui->actionOpen);
    connect(ui->actionOpen, &QAction::triggered, this, &MainWindow::openModFolder);
    ui->modList->addAction(ui->actionRename);
    connect(ui->actionRename, &QAction::triggered, this, &MainWindow::renameModAction);
    ui->modList->addAction(ui->actionDelete);
    connect(ui->actionDelete, &QAction::triggered, this, &MainWindow::deleteMod);

    if (config->get(ConfigKey::gamePath).empty())
        setStatus(tr("Choose the Warcraft III folder in Settings."), false);
    else
        setStatus(tr("Ready."), false);
    if (config->defaultsUnsaved() || mountCommands->startUnsaved()) {
        // Once the window is on screen.
        QMetaObject::invokeMethod(
            this, [this] { setStatus(ResultWording::saveFailure(config->configPath), true); },
            Qt::QueuedConnection);
    }
}

MainWindow::~MainWindow()
{
    // No Worker reads the store, but every operation's thread ends with the window all the same.
    abortRunningOperations();
    releaseOperations();
    // Before the boxes go: a call under way ends within its time limit.
    delete optionCalls;
    if (leftoverCleaner)
        leftoverCleaner->wait();
    if (modTable->orderChanged())
        config->save(); // nobody is left to tell if that fails: the order is only a preference
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

void MainWindow::setStatus(const QString &text, bool error)
{
    filterCountShown = false;
    ui->statusBarLbl->setText(text);
    ui->statusBarLbl->setToolTip(text);
    if (error)
        QMessageBox::warning(this, tr("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

int MainWindow::selectedRow() const
{
    // The list makes a row current without selecting it when it gets the focus; only a row the
    // user can see highlighted counts.
    // Nor one the filter hides.
    const int row = ui->modList->currentRow();
    if (row >= 0 && row < ui->modList->rowCount() && !ui->modList->isRowHidden(row) &&
        ui->modList->selectionModel()->isRowSelected(row, QModelIndex()))
        return row;
    return -1;
}

bool MainWindow::modSelected()
{
    if (selectedRow() >= 0)
        return true;
    setStatus(tr("No mod selected."), false);
    return false;
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
        for (QLabel *label : {form.downloadLbl, form.sourceLbl, form.depotLbl, form.forgeLbl})
            LabelHeight::fitToFont(label);
        aboutDialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    }
    aboutDialog->show();
}

// ---------------------------------------------------------------------------------------------
// Quitting

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!quitting && hasRunningOperation()) {
        if (quitQuestion)
            return event->ignore(); // asked already (a termination request while asking)
        QMessageBox question(QMessageBox::Question, tr("Quit?"),
                             tr("An operation is still running. Abort it and quit?"),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        quitQuestion = &question;
        const int answer = question.exec();
        quitQuestion = nullptr;
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
    // The mount commands' operations are kept by them; the list's scan has no Controller.
    return findChildren<Controller *>(QString(), Qt::FindDirectChildrenOnly);
}

bool MainWindow::hasRunningOperation() const
{
    const QList<Controller *> live = liveOperations();
    return mountCommands->isRunning() ||
           std::any_of(live.begin(), live.end(),
                       [](Controller *operation) { return operation->isRunning(); });
}

void MainWindow::abortRunningOperations()
{
    for (Controller *operation : liveOperations())
        if (operation->isRunning())
            operation->abort();
    mountCommands->abortRunning();
    modTable->stopScan();
}

void MainWindow::answerQuitQuestionIfDone()
{
    // Nothing is left to abort: the question has lost its point, and the answer is to quit.
    if (quitQuestion && !hasRunningOperation())
        quitQuestion->done(QMessageBox::Yes);
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
    modTable->release();
    mountCommands->release();
    qDeleteAll(liveOperations());
}
