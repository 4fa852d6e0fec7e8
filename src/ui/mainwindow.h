#pragma once

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

#include "operation.h"

class ConfigStore;
class Controller;
class GameOptionCalls;
class GameRegistry;
enum class GameOption;
class QCheckBox;
class MountState;
class ScanQueue;
class QAction;
class QDialog;
class QTableWidgetItem;
class QThread;
class Settings;

namespace Ui
{
class MainWindow;
}

// The program's window: the mod list with sizes and counts, the mount state, the commands,
// the game's two options and a one-line status.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The game's options are those of `registry`, which must outlive the window.
    explicit MainWindow(const GameRegistry &registry, QWidget *parent = nullptr);
    // Keeps its files in `applicationDir` instead of the executable's folder.
    MainWindow(const std::string &applicationDir, const GameRegistry &registry,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    ConfigStore *configStore() const { return config.get(); }

protected:
    // While a mount, unmount, add or delete runs, quitting means aborting it first.
    void closeEvent(QCloseEvent *event) override;
    // Folders and archives dropped from the desktop's file manager are added as mods.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void openGameFolder();
    void openModsFolder();
    void openSettings();
    void openAbout();
    void refresh(const QString &text = QString(), const QString &select = QString(),
                 bool rescan = true);
    void scanModUpdate(int row, const QString &size, const QString &count);
    void launchGame();
    void launchEditor();
    void setAllowFiles();
    void setGameVersion();
    void mountMod();
    void mountModReady(const OperationResult &result);
    void unmountMod();
    void unmountModReady(const OperationResult &result);
    void addMod();
    void addModReady(const OperationResult &result);
    void addArchive();
    void openModFolder();
    void renameModAction();
    void renameModStart(QTableWidgetItem *item);
    void renameModSave(QTableWidgetItem *item);
    void deleteMod();
    void deleteModReady(const OperationResult &result);
    void checkMod();
    void checkModReady(const OperationResult &result);
    void repairMod();
    void repairModReady(const OperationResult &result);

private:
    MainWindow(std::unique_ptr<ConfigStore> store, const GameRegistry &registry, QWidget *parent);

    void setStatus(const QString &text, bool error);
    // What every result slot ends with: the result on the status line and the list rebuilt,
    // unless the window is closing.
    void showResult(const OperationResult &result, const QString &select, bool rescan);
    // Says so in the "Error" box when the mount state could not be saved.
    void reportUnsavedState(const MountState &state);
    void showMountState(bool focusList);
    void updateLaunchIcons();
    bool modSelected();
    // One of the game's two options on the window: its box and its texts.
    struct OptionBox {
        QCheckBox *box;
        QString label;
        QString readFailure;
        QString writeFailure;
    };
    OptionBox optionBox(GameOption option) const;
    std::string gameFolder() const;
    // Both options as the registry holds them, read together where that waits for nothing.
    void readGameOptions();
    void readOption(GameOption option);
    void optionRead(GameOption option, const QString &value);
    void showOption(const OptionBox &read, const QString &value);
    void writeOption(GameOption option);
    void optionWritten(GameOption option, bool on, bool stored);
    void launch(const QString &executable, const QString &before, const QString &success,
                const QString &failure);
    // Rebuilds the rows from the mods folder and starts their scans; returns the row of
    // `wanted`, or -1 when it is not listed.
    int fillList(const MountState &state, const QString &wanted);
    QString currentModName() const;
    void fillRow(int row, const QString &name, bool isMounted, const MountState &state);
    void tidyList();
    int nameWidth(int row) const;
    QStringList modFolderNames() const;
    // One mount or unmount at a time: from the click until its result, and on while its finished
    // dialog is open (a forced pass may still come from there).
    bool mountOperationBusy() const;
    // While a mount, unmount, check or repair runs, none of them can be started.
    void disableMountCommands();
    // Ends a mount or unmount command that cannot go on: says why, and gives the controls back.
    void refuseMountCommand(const QString &text, bool error);
    // Says so on the status line when a mount or unmount is still running.
    bool refusedWhileMountRuns();
    // Says so in the "Error" box while the game or its editor runs from the game folder.
    bool refusedWhileGameRuns();
    // Why the chosen folder cannot be added as a mod; empty when it can.
    QString addRefusal(const QString &chosen) const;
    // Adds the archive as a mod named after it; says why not when it cannot.
    void addArchiveAsMod(const QString &archive);
    // Adds the folder as a mod, copied or moved as the user answers.
    void addFolderAsMod(const QString &chosen);
    static bool isArchiveName(const QString &path);
    static bool renameFolder(const QString &from, const QString &to);
    // Why a mod cannot be renamed to `newName`; empty when the system may try.
    QString renameRefusal(const QString &oldPath, const QString &newName) const;
    // A Controller for an operation on `modName`, kept by the window until it releases itself.
    Controller *newOperation(const QString &modName);
    // One for a mount, unmount, check or repair: the mount commands come back once it is gone.
    Controller *newMountOperation(const QString &modName);
    // A check or a repair of the mounted mod; null when it was refused.
    Controller *newMountedModOperation(Operation operation);
    QList<Controller *> liveOperations() const;
    bool hasRunningOperation() const;
    void abortRunningOperations();
    bool closeIfQuitting();
    void releaseOperations();
    QString setting(const char *key) const;
    QString modsPath() const;

    Ui::MainWindow *ui;
    Settings *settingsDialog = nullptr;
    QDialog *aboutDialog = nullptr;
    QString renameFrom;
    QTableWidgetItem *renameItem = nullptr;
    QIcon war3Icon;
    QIcon war3ModIcon;
    QIcon war3xIcon;
    QIcon war3xModIcon;
    QIcon worldEditIcon;
    QIcon worldEditModIcon;
    QIcon warningIcon;
    const GameRegistry &gameRegistry;
    std::unique_ptr<ConfigStore> config;
    ScanQueue *scans = nullptr;
    GameOptionCalls *optionCalls = nullptr; // for when each call waits for Wine
    QPointer<QThread> leftoverCleaner;      // removes what a crashed add left, at the start
    bool listTidyPending = false;
    int nameColumnFit = 0;          // the widest name of the rows shown since the list was rebuilt
    QAction *mountAction = nullptr; // the list's "Mount"
    bool quitting = false;
};
