// The main window's game side: its two options in the game's registry key, and starting the
// game and its editor.
#include "mainwindow.h"

#include "configstore.h"
#include "gamelauncher.h"
#include "gameregistry.h"
#include "ui_mainwindow.h"

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
        ui->allowFilesCbx->isChecked() && !config->get(ConfigKey::mounted).empty();
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
    else {
        // Never show a value the registry does not hold. Writing 0 back would only fail again.
        const QSignalBlocker quiet(box);
        box->setChecked(false);
        setStatus(failure, false);
    }
    updateLaunchIcons();
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
