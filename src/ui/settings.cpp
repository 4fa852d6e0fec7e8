#include "settings.h"

#include "configstore.h"
#include "mountcommands.h"
#include "recordedpathcheck.h"
#include "resultwording.h"
#include "ui_settings.h"
#include "utf8.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

Settings::Settings(QWidget *parent, ConfigStore *store)
    : QDialog(parent), ui(new Ui::Settings), config(store)
{
    ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    connect(ui->dirBtn, &QPushButton::clicked, this, &Settings::browseGame);
    connect(ui->buttonBox, &QDialogButtonBox::clicked, this, &Settings::save);
}

Settings::~Settings()
{
    delete ui;
}

int Settings::exec()
{
    ui->dirEdit->setText(QDir::toNativeSeparators(fromUtf8(config->get(ConfigKey::gamePath))));
    ui->hideEmptyCbx->setChecked(config->get(ConfigKey::hideEmptyMods) == "1");
    ui->hardLinksCbx->setChecked(config->get(ConfigKey::hardLinks) == "1");
    // A mount is undone the way it was made: the way cannot change while one is in place.
    const QString mounted = fromUtf8(config->get(ConfigKey::mounted));
    ui->hardLinksCbx->setEnabled(mounted.isEmpty());
    ui->hardLinksCbx->setToolTip(
        mounted.isEmpty() ? QString()
                          : tr("Unmount %1 before changing how mods are mounted.").arg(mounted));
    return QDialog::exec();
}

void Settings::browseGame()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Warcraft III Folder"), ui->dirEdit->text(),
        QFileDialog::ShowDirsOnly | QFileDialog::HideNameFilterDetails);
    if (!chosen.isEmpty())
        ui->dirEdit->setText(QDir::toNativeSeparators(chosen));
}

void Settings::save(QAbstractButton *button)
{
    if (ui->buttonBox->standardButton(button) != QDialogButtonBox::Apply)
        return;
    const QString folder = ui->dirEdit->text();
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir()) {
        QMessageBox::warning(this, tr("Error"), tr("Warcraft III Folder: invalid folder."),
                             QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    if (config->isOwnFolder(toUtf8(folder))) {
        QMessageBox::warning(this, tr("Error"), MountCommands::ownFolderRefusal(), QMessageBox::Ok,
                             QMessageBox::NoButton);
        return;
    }
    // The records of a mount name paths inside the game folder; the unmount undoes only
    // those, so the folder must stay the same while a mod is mounted.
    const QString mounted = fromUtf8(config->get(ConfigKey::mounted));
    const QString stored = QString(folder).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!mounted.isEmpty() &&
        !RecordedPathCheck::sameFolder(stored, fromUtf8(config->get(ConfigKey::gamePath)))) {
        QMessageBox::warning(this, tr("Error"),
                             tr("Unmount %1 before changing the Warcraft III folder.").arg(mounted),
                             QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    const std::string oldGamePath = config->get(ConfigKey::gamePath);
    const std::string oldHideEmpty = config->get(ConfigKey::hideEmptyMods);
    const std::string oldHardLinks = config->get(ConfigKey::hardLinks);
    config->set(ConfigKey::gamePath, toUtf8(folder));
    config->set(ConfigKey::hideEmptyMods, ui->hideEmptyCbx->isChecked() ? "1" : "0");
    if (mounted.isEmpty())
        config->set(ConfigKey::hardLinks, ui->hardLinksCbx->isChecked() ? "1" : std::string());
    if (!config->save()) {
        // Nothing is taken that would be gone at the next start.
        config->set(ConfigKey::gamePath, oldGamePath);
        config->set(ConfigKey::hideEmptyMods, oldHideEmpty);
        config->set(ConfigKey::hardLinks, oldHardLinks);
        QMessageBox::warning(this, tr("Error"), ResultWording::saveFailure(config->configPath),
                             QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    accept();
}
