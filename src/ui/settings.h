#pragma once

#include <QDialog>

class ConfigStore;
class QAbstractButton;

namespace Ui
{
class Settings;
}

// Edits the game folder and whether empty mods are hidden; writes config.cfg on Apply.
class Settings : public QDialog
{
    Q_OBJECT

public:
    Settings(QWidget *parent, ConfigStore *store);
    ~Settings() override;

public slots:
    // Loads the fields from the store each time, so abandoned edits do not come back.
    int exec() override;

private slots:
    void browseGame();
    void save(QAbstractButton *button);

private:
    Ui::Settings *ui;
    ConfigStore *config;
};
