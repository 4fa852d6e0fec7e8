// The main window's game side: its two options in the game's registry key, and starting the
// game and its editor.
#include "mainwindow.h"

#include "configstore.h"
#include "gamebar.h"
#include "gamelauncher.h"
#include "gameoptioncalls.h"
#include "gameregistry.h"
#include "mountcommands.h"
#include "ui_mainwindow.h"
#include "utf8.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>

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
    if (GameLauncher::start(setting(ConfigKey::gamePath) + executable))
        setStatus(success, false);
    else
        setStatus(failure, true);
}

void MainWindow::updateLaunchIcons()
{
    const bool modActive = ui->gameBar->allowFilesBox()->isChecked() && mountCommands->isMounted();
    const bool expansion = ui->gameBar->expansionBox()->isChecked();
    if (modActive)
        ui->gameBar->gameButton()->setIcon(expansion ? war3xModIcon : war3ModIcon);
    else
        ui->gameBar->gameButton()->setIcon(expansion ? war3xIcon : war3Icon);
    ui->gameBar->editorButton()->setIcon(modActive ? worldEditModIcon : worldEditIcon);
}

MainWindow::OptionBox MainWindow::optionBox(GameOption option) const
{
    if (option == GameOption::AllowLocalFiles)
        return {ui->gameBar->allowFilesBox(), tr("Allow Local Files"),
                tr("Failed to get Allow Local Files setting."),
                tr("Failed to set Allow Local Files.")};
    return {ui->gameBar->expansionBox(), tr("Expansion"),
            tr("Failed to get Preferred Game Version."),
            tr("Failed to set Preferred Game Version.")};
}

std::string MainWindow::gameFolder() const
{
    return config->get(ConfigKey::gamePath);
}

void MainWindow::readGameOptions()
{
    const std::string folder = gameFolder();
    if (gameRegistry.waitsForWine(folder)) {
        for (const GameOption option : gameOptions)
            readOption(option);
        return;
    }
    const GameOptionValues values = gameRegistry.readOptions(folder);
    for (const GameOption option : gameOptions)
        showOption(optionBox(option), fromUtf8(values.at(option)));
}

void MainWindow::readOption(GameOption option)
{
    const OptionBox read = optionBox(option);
    const std::string folder = gameFolder();
    if (gameRegistry.waitsForWine(folder)) {
        // Shown as last read, and not to be switched, until Wine has answered.
        read.box->setEnabled(false);
        optionCalls->read(folder, option);
        return;
    }
    showOption(read, fromUtf8(gameRegistry.readOption(folder, option)));
}

void MainWindow::optionRead(GameOption option, const QString &value)
{
    const OptionBox read = optionBox(option);
    read.box->setEnabled(!optionCalls->busy(option));
    showOption(read, value);
}

void MainWindow::showOption(const OptionBox &read, const QString &value)
{
    if (value == QLatin1String("0")) {
        read.box->setChecked(false);
    } else if (value == QLatin1String("1")) {
        read.box->setChecked(true);
    } else {
        // Never show a value the registry does not hold. Writing 0 back would only fail again.
        const QSignalBlocker quiet(read.box);
        read.box->setChecked(false);
        setStatus(read.readFailure, false);
    }
    updateLaunchIcons();
}

void MainWindow::setAllowFiles()
{
    writeOption(GameOption::AllowLocalFiles);
}

void MainWindow::setGameVersion()
{
    writeOption(GameOption::PreferredGameVersion);
}

void MainWindow::writeOption(GameOption option)
{
    const OptionBox written = optionBox(option);
    const bool checked = written.box->isChecked();
    const std::string folder = gameFolder();
    if (gameRegistry.waitsForWine(folder)) {
        // The status says what happened once Wine has done it.
        written.box->setEnabled(false);
        optionCalls->write(folder, option, checked);
        return;
    }
    optionWritten(option, checked, gameRegistry.writeOption(folder, option, checked));
}

void MainWindow::optionWritten(GameOption option, bool on, bool stored)
{
    const OptionBox written = optionBox(option);
    written.box->setEnabled(!optionCalls->busy(option));
    if (stored)
        setStatus(written.label + (on ? tr(" enabled.") : tr(" disabled.")), false);
    else
        setStatus(written.writeFailure, true);
    updateLaunchIcons();
    // Read back once the click that got here has finished: while a button handles a click it
    // does not report state changes, so setting it back from inside would neither write the
    // stored value again nor let the next click be noticed.
    QMetaObject::invokeMethod(
        this, [this, option] { readOption(option); }, Qt::QueuedConnection);
}
