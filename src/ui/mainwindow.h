#pragma once

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "operation.h"

class ConfigStore;
class Controller;
class GameOptionCalls;
class GameRegistry;
enum class GameOption;
class QCheckBox;
class MountCommands;
class MountState;
class ModTable;
class PreviewDialog;
struct PreviewedMount;
struct ModChoice;
class QAction;
class QDialog;
class QMessageBox;
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
    void launchGame();
    void launchEditor();
    void setAllowFiles();
    void setGameVersion();
    void mountMod();
    void unmountMod();
    // A mount, unmount, check or repair has ended, and its meaning has been kept.
    void mountCommandFinished(const OperationResult &result, bool rescan);
    void addMod();
    void addModReady(const OperationResult &result);
    void addArchive();
    void openModFolder();
    void renameModAction();
    void renameModStart(QTableWidgetItem *item);
    void renameModSave(QTableWidgetItem *item);
    void renameModEnd();
    void deleteMod();
    void deleteModReady(const OperationResult &result);
    void checkMod();
    void repairMod();
    void previewMod();
    void showPreview(const PreviewedMount &preview);

private:
    MainWindow(std::unique_ptr<ConfigStore> store, const GameRegistry &registry, QWidget *parent);

    void setStatus(const QString &text, bool error);
    // What every result slot ends with: the result on the status line and the list rebuilt,
    // unless the window is closing.
    void showResult(const OperationResult &result, const QString &select, bool rescan);
    void showMountState(bool focusList);
    // While a mount command decides and runs, nothing else of the mount can be started.
    void holdMountCommands();
    // Asks whether to mount with hard links where symbolic links are refused.
    void offerHardLinks();
    void updateLaunchIcons();
    bool modSelected();
    // The row the user can see highlighted; -1 when there is none.
    int selectedRow() const;
    std::optional<ModChoice> chosenMod() const;
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
    QString currentModName() const;
    // Ctrl+F and Escape for the filter box, and what it shows on the status line.
    void setUpFilter();
    void showFilterCount();
    // Adds the archive as a mod named after it; says why not when it cannot.
    void addArchiveAsMod(const QString &archive);
    // Adds the folder as a mod, copied or moved as the user answers.
    void addFolderAsMod(const QString &chosen);
    static bool isArchiveName(const QString &path);
    // A Controller for an add or a delete of `modName`, kept by the window until it releases
    // itself.
    Controller *newOperation(const QString &modName);
    QList<Controller *> liveOperations() const;
    bool hasRunningOperation() const;
    void abortRunningOperations();
    bool closeIfQuitting();
    void answerQuitQuestionIfDone();
    void releaseOperations();
    QString setting(const char *key) const;
    QString modsPath() const;

    Ui::MainWindow *ui;
    Settings *settingsDialog = nullptr;
    QDialog *aboutDialog = nullptr;
    PreviewDialog *previewDialog = nullptr;
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
    ModTable *modTable = nullptr;
    MountCommands *mountCommands = nullptr;
    GameOptionCalls *optionCalls = nullptr; // for when each call waits for Wine
    QPointer<QThread> leftoverCleaner;      // removes what a crashed add left, at the start
    bool filterCountShown = false; // the status line says how many mods the filter shows
    QAction *mountAction = nullptr; // the list's "Mount"
    bool quitting = false;
    QMessageBox *quitQuestion = nullptr; // while the user is asked whether to quit
};
