#include "mountcommands.h"

#include "configstore.h"
#include "controller.h"
#include "gameprocess.h"
#include "pathnames.h"
#include "resultwording.h"
#include "symboliclink.h"
#include "utf8.h"

#include <QFileInfo>

#include <algorithm>

MountCommands::MountCommands(ConfigStore *store, QWidget *parentForDialogs, QObject *parent)
    : QObject(parent), config(store), dialogParent(parentForDialogs)
{
    // Records that list a mount nobody remembered: shown as mounted, so it can be undone.
    MountState found(config);
    found.recoverFromRecords();
    unsavedAtStart = found.saveFailed();
}

MountCommands::~MountCommands()
{
    release();
}

QString MountCommands::hardLinksImpossible()
{
    return tr("Hard links cannot reach the game folder from this drive. Turn on Developer Mode, "
              "or keep Runemount and its mods folder on the game's drive.");
}

QString MountCommands::ownFolderRefusal()
{
    return tr("The Warcraft III folder cannot be Runemount's own folder or lie inside it.");
}

void MountCommands::mount(const std::optional<ModChoice> &chosen)
{
    if (refusedWhileBusy())
        return;
    emit commandStarted();
    MountState mountState(config);
    // The records are the truth: a new mount would overwrite what they still list.
    if (mountState.recoverFromRecords()) {
        if (mountState.saveFailed())
            emit status(ResultWording::saveFailure(config->configPath), true);
        emit listChanged(tr("Already mounted: %1").arg(mountState.mountedMod()));
        return;
    }
    if (mountState.isMounted()) {
        refuse(tr("Already mounted: %1").arg(mountState.mountedMod()), false);
        return;
    }
    if (!chosen) {
        refuse(tr("Select a mod to mount."), false);
        return;
    }
    const QString &name = chosen->name;
    emit status(tr("Mounting %1...").arg(name), false);
    if (refusedGameFolder())
        return;
    if (!PathNames::isStorableModName(name)) {
        // Such a name could not be written to config.cfg as it is.
        refuse(tr("Failed to mount %1.").arg(name), true);
        return;
    }
    if (refusedWhileGameRuns())
        return;
    if (!mountState.begin(name, chosen->bytes, chosen->files)) {
        refuse(ResultWording::saveFailure(config->configPath), true);
        return;
    }
    lastChosen = chosen;
    newOperation(name)->mount();
}

void MountCommands::unmount()
{
    if (refusedWhileBusy())
        return;
    emit commandStarted();
    const QString mounted = state().mountedMod();
    if (mounted.isEmpty()) {
        refuse(tr("No mod mounted."), false);
        return;
    }
    if (refusedWhileGameRuns())
        return;
    emit status(tr("Unmounting %1...").arg(mounted), false);
    newOperation(mounted)->unmount();
}

void MountCommands::check()
{
    if (Controller *controller = mountedModOperation(Operation::Check))
        controller->check();
}

void MountCommands::repair()
{
    if (Controller *controller = mountedModOperation(Operation::Repair))
        controller->repair();
}

void MountCommands::preview(const std::optional<ModChoice> &chosen)
{
    if (refusedWhileBusy())
        return;
    emit commandStarted();
    // A mounted mod's links stand in the game: a walk would take them for game entries.
    const QString mounted = state().mountedMod();
    if (mounted.isEmpty() && !chosen) {
        refuse(tr("Select a mod to preview."), false);
        return;
    }
    if (refusedGameFolder())
        return;
    const QString name = mounted.isEmpty() ? chosen->name : mounted;
    lastPreviewed = mounted.isEmpty() ? chosen : std::nullopt;
    emit status(tr("Previewing %1...").arg(name), false);
    Controller *controller = newOperation(name);
    connect(controller, &Controller::previewReady, this, &MountCommands::previewReady);
    controller->preview(!mounted.isEmpty());
}

Controller *MountCommands::mountedModOperation(Operation operation)
{
    if (refusedWhileBusy())
        return nullptr;
    const QString mounted = state().mountedMod();
    if (mounted.isEmpty()) {
        refuse(tr("No mod mounted."), false);
        return nullptr;
    }
    emit commandStarted();
    // A check only reads.
    if (operation == Operation::Repair && refusedWhileGameRuns())
        return nullptr;
    emit status(ResultWording::actionWords(operation).ongoing + QLatin1Char(' ') + mounted +
                    QStringLiteral("..."),
                false);
    return newOperation(mounted);
}

Controller *MountCommands::newOperation(const QString &modName)
{
    auto *controller = new Controller(WorkerPaths::of(*config), modName, dialogParent, this);
    operations.removeAll(QPointer<Controller>());
    operations << QPointer<Controller>(controller);
    connect(controller, &Controller::resultReady, this, &MountCommands::operationFinished);
    // Queued: the commands are given back once it is wholly gone.
    connect(
        controller, &QObject::destroyed, this, [this] { emit commandsChanged(false); },
        Qt::QueuedConnection);
    return controller;
}

void MountCommands::operationFinished(const OperationResult &result)
{
    MountState handled(config);
    bool rescan = true;
    switch (result.operation) {
    case Operation::Mount:
        rescan = handled.mountFinished(result.counts, result.aborted);
        if (result.refusal != LinkRefusal::None) {
            reportUnsaved(handled);
            linksRefused(result.refusal);
            return;
        }
        break;
    case Operation::Unmount:
        rescan = handled.unmountFinished(result.counts, result.aborted, result.forced);
        break;
    case Operation::Repair:
        handled.repairFinished(result.counts, result.aborted);
        break;
    default:
        // A check changes nothing on disk or in the settings.
        rescan = false;
        break;
    }
    reportUnsaved(handled);
    emit finished(result, rescan);
}

void MountCommands::later(std::function<void()> emission)
{
    QMetaObject::invokeMethod(this, std::move(emission), Qt::QueuedConnection);
}

void MountCommands::reportUnsaved(const MountState &handled)
{
    if (!handled.saveFailed())
        return;
    const QString text = ResultWording::saveFailure(config->configPath);
    later([this, text] { emit status(text, true); });
}

void MountCommands::linksRefused(LinkRefusal why)
{
    if (why == LinkRefusal::HardLinks) {
        // Never a silent copy instead: the user learns both ways out.
        const QString text = hardLinksImpossible();
        emit listChanged(text);
        later([this, text] { emit status(text, true); });
        return;
    }
    emit listChanged(QString::fromUtf8(SymbolicLink::refusalText()));
    offerPending = true;
    later([this] { emit hardLinksOffered(); });
}

void MountCommands::answerHardLinks(bool yes)
{
    if (!offerPending || !lastChosen)
        return;
    offerPending = false;
    if (!yes)
        return;
    config->set(ConfigKey::hardLinks, "1");
    if (!config->save()) {
        config->erase(ConfigKey::hardLinks);
        emit status(ResultWording::saveFailure(config->configPath), true);
        return;
    }
    mount(lastChosen);
}

void MountCommands::refuse(const QString &text, bool error)
{
    emit status(text, error);
    emit commandsChanged(true);
}

bool MountCommands::isBusy() const
{
    return std::any_of(
        operations.begin(), operations.end(),
        [](const QPointer<Controller> &operation) { return operation && !operation->isSettled(); });
}

bool MountCommands::isRunning() const
{
    return std::any_of(
        operations.begin(), operations.end(),
        [](const QPointer<Controller> &operation) { return operation && operation->isRunning(); });
}

void MountCommands::abortRunning()
{
    for (const QPointer<Controller> &operation : qAsConst(operations))
        if (operation && operation->isRunning())
            operation->abort();
}

void MountCommands::release()
{
    const QList<QPointer<Controller>> all = operations;
    operations.clear();
    for (const QPointer<Controller> &operation : all)
        delete operation.data();
}

bool MountCommands::refusedWhileBusy()
{
    const bool busy = isBusy();
    if (busy)
        emit status(tr("A mount or unmount is still running."), false);
    return busy;
}

bool MountCommands::refusedGameFolder()
{
    const std::string gamePath = config->get(ConfigKey::gamePath);
    if (!QFileInfo(fromUtf8(gamePath)).isDir()) {
        refuse(tr("Invalid Warcraft III folder."), true);
        return true;
    }
    // A game folder stored before such folders were refused in Settings.
    if (config->isOwnFolder(gamePath)) {
        refuse(ownFolderRefusal(), true);
        return true;
    }
    return false;
}

bool MountCommands::refusedWhileGameRuns()
{
    // The game holds its files open: renaming them would fail part way through on Windows,
    // and elsewhere leave the game reading a mix of old and new files.
    if (!GameProcess::runsFrom(fromUtf8(config->get(ConfigKey::gamePath))))
        return false;
    refuse(tr("Close Warcraft III before mounting or unmounting mods."), true);
    return true;
}
