// The main window's game side: its two options in the game's registry key, and starting the
// game and its editor.
#include "mainwindow.h"

#include "configstore.h"
#include "gamebar.h"
#include "gamelauncher.h"
#include "gameoptioncalls.h"
#include "gameregistry.h"
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
    const bool modActive =
        ui->gameBar->allowFilesBox()->isChecked() && !config->get(ConfigKey::mounted).empty();
    const bool expansion = ui->gameBar->expansionBox()->isChecked();
    if (modActive)
        ui->gameBar->gameButton()->setIcon(expansion ? war3xModIcon : war3ModIcon);
    else
        ui->gameBar->gameButton()->setIcon(expansion ? war3xIcon : war3Icon);
    ui->gameBar->editorButton()->setIcon(modActive ? worldEditModIcon : worldEditIcon);
}

MainWindow::GameOption MainWindow::option(const QString &valueName) const
{
    if (valueName == QLatin1String("Allow Local Files"))
        return {valueName,
                ui->gameBar->allowFilesBox(),
                tr("Allow Local Files"),
                tr("Failed to get Allow Local Files setting."),
                tr("Failed to set Allow Local Files."),
                &MainWindow::readAllowFiles};
    return {QStringLiteral("Preferred Game Version"),
            ui->gameBar->expansionBox(),
            tr("Expansion"),
            tr("Failed to get Preferred Game Version."),
            tr("Failed to set Preferred Game Version."),
            &MainWindow::readGameVersion};
}

void MainWindow::readAllowFiles()
{
    readOption(option(QStringLiteral("Allow Local Files")));
}

void MainWindow::readGameVersion()
{
    readOption(option(QStringLiteral("Preferred Game Version")));
}

void MainWindow::readOption(const GameOption &read)
{
    if (gameOptionsWaitForWine()) {
        // Shown as last read, and not to be switched, until Wine has answered.
        read.box->setEnabled(false);
        optionCalls->read(read.valueName);
        return;
    }
    showOption(read, fromUtf8(readGameValue(read.valueName.toStdWString(), GameValueKind::Number)));
}

void MainWindow::optionRead(const QString &valueName, const QString &value)
{
    const GameOption read = option(valueName);
    read.box->setEnabled(!optionCalls->busy(valueName));
    showOption(read, value);
}

void MainWindow::showOption(const GameOption &read, const QString &value)
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
    writeOption(option(QStringLiteral("Allow Local Files")));
}

void MainWindow::setGameVersion()
{
    writeOption(option(QStringLiteral("Preferred Game Version")));
}

void MainWindow::writeOption(const GameOption &written)
{
    const bool checked = written.box->isChecked();
    if (gameOptionsWaitForWine()) {
        // The status says what happened once Wine has done it.
        written.box->setEnabled(false);
        optionCalls->write(written.valueName, checked);
        return;
    }
    optionWritten(written.valueName, checked,
                  writeGameDword(written.valueName.toStdWString(), checked ? 1 : 0));
}

void MainWindow::optionWritten(const QString &valueName, bool on, bool stored)
{
    const GameOption written = option(valueName);
    written.box->setEnabled(!optionCalls->busy(valueName));
    if (stored)
        setStatus(written.label + (on ? tr(" enabled.") : tr(" disabled.")), false);
    else
        setStatus(written.writeFailure, true);
    updateLaunchIcons();
    // Read back once the click that got here has finished: while a button handles a click it
    // does not report state changes, so setting it back from inside would neither write the
    // stored value again nor let the next click be noticed.
    const auto reread = written.reread;
    QMetaObject::invokeMethod(
        this, [this, reread] { (this->*reread)(); }, Qt::QueuedConnection);
}
