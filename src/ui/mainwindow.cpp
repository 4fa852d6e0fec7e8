#include "mainwindow.h"

#include "configstore.h"

#include <QLabel>

MainWindow::MainWindow(QWidget *parent) : MainWindow(std::make_unique<ConfigStore>(), parent) {}

MainWindow::MainWindow(const std::string &applicationDir, QWidget *parent)
    : MainWindow(std::make_unique<ConfigStore>(applicationDir), parent)
{
}

MainWindow::MainWindow(std::unique_ptr<ConfigStore> store, QWidget *parent)
    : QMainWindow(parent), config(std::move(store))
{
    setWindowTitle(QStringLiteral("Runemount"));
    resize(546, 462);
    setCentralWidget(new QLabel(tr("Nothing's happening..."), this));
}

MainWindow::~MainWindow() = default;
