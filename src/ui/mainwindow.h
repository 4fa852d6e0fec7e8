#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

class ConfigStore;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // Keeps its files in `applicationDir` instead of the executable's folder.
    explicit MainWindow(const std::string &applicationDir, QWidget *parent = nullptr);
    ~MainWindow() override;

    ConfigStore *configStore() const { return config.get(); }

private:
    MainWindow(std::unique_ptr<ConfigStore> store, QWidget *parent);

    std::unique_ptr<ConfigStore> config;
};
