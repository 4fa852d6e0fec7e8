#pragma once

#include "mountstate.h"
#include "operation.h"
#include "previewedmount.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class ConfigStore;
class Controller;

// The mod the user chose to mount, with what its row measured.
struct ModChoice {
    QString name;
    qint64 bytes = 0;
    qint64 files = 0;
};

// Mount, unmount, check and repair: whether each may start, the Controllers that run them (one
// at a time), and what their results mean for the mount kept in config.cfg. Tells its window
// what to show; it has no widgets of its own.
class MountCommands : public QObject
{
    Q_OBJECT

public:
    // Finished dialogs are children of `parentForDialogs`; without one, none is shown.
    MountCommands(ConfigStore *store, QWidget *parentForDialogs, QObject *parent = nullptr);
    ~MountCommands() override;

    void mount(const std::optional<ModChoice> &chosen);
    void unmount();
    void check();
    void repair();
    // What a mount of the chosen mod would do; while a mod is mounted, what its records say it
    // set aside. Changes nothing.
    void preview(const std::optional<ModChoice> &chosen);
    // Mounts the mod of the last preview, as mount does.
    void mountPreviewed() { mount(lastPreviewed); }
    // The user's answer to hardLinksOffered: yes switches mounts to hard links and mounts.
    void answerHardLinks(bool yes);

    // The mount as config.cfg keeps it.
    MountState state() const { return MountState(config); }
    bool isMounted() const { return state().isMounted(); }
    // From a command's start until nothing more can come of its operation: its result has been
    // handled, and no finished dialog of it can start a forced pass.
    bool isBusy() const;
    // An operation is at work (a finished dialog waiting for the user is not).
    bool isRunning() const;
    void abortRunning();
    // Deletes every Controller left, which joins its thread.
    void release();
    // Records of a mount that config.cfg did not name were found at the start, and that could
    // not be saved.
    bool startUnsaved() const { return unsavedAtStart; }

    // Why a game folder in the program's own folder is refused.
    static QString ownFolderRefusal();
    // Said when neither way of mounting can reach the game folder.
    static QString hardLinksImpossible();

signals:
    // A text for the status line; with `error` it is also shown in a box before this returns.
    void status(const QString &text, bool error);
    // Which commands can be used changed (a command was refused, or an operation is gone).
    void commandsChanged(bool focusList);
    // A command is under way: nothing else may be started until commandsChanged.
    void commandStarted();
    // The list must be rebuilt to show the mount as it is now.
    void listChanged(const QString &text);
    // What a preview found, before its result.
    void previewReady(const PreviewedMount &preview);
    // An operation's result, handled here already; `rescan` when the list must be scanned again.
    void finished(const OperationResult &result, bool rescan);
    // Symbolic links are refused here: the user is to be asked whether to mount with hard links
    // (answerHardLinks).
    void hardLinksOffered();

private:
    bool refusedWhileBusy();
    bool refusedWhileGameRuns();
    // The game folder is missing, or lies in the program's own folder.
    bool refusedGameFolder();
    void refuse(const QString &text, bool error);
    // A check or a repair of the mounted mod; null when it was refused.
    Controller *mountedModOperation(Operation operation);
    Controller *newOperation(const QString &modName);
    void operationFinished(const OperationResult &result);
    // Said once the result slot has returned: a box must not open inside it.
    void reportUnsaved(const MountState &handled);
    // A mount that changed nothing because its way of linking cannot work here.
    void linksRefused(LinkRefusal why);
    // Emitted once the current signal's receivers have returned.
    void later(std::function<void()> emission);

    ConfigStore *config;
    QPointer<QWidget> dialogParent;
    QList<QPointer<Controller>> operations;
    std::optional<ModChoice> lastChosen; // the mod of the last mount started
    std::optional<ModChoice> lastPreviewed;
    bool offerPending = false;
    bool unsavedAtStart = false;
};
