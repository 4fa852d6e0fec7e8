#include "startup.h"

#include "gameregistry.h"
#include "instancelock.h"
#include "mainwindow.h"
#include "terminationsignal.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace Startup
{

int run(const std::string &applicationDir)
{
    // First of all, so that a request to end that comes while the window is being built is
    // kept until the window can act on it.
    TerminationSignal termination;
    // Before the window, whose store may write config.cfg.
    InstanceLock lock(applicationDir);
    if (!lock.acquire()) {
        QMessageBox::warning(nullptr, QObject::tr("Error"),
                             QObject::tr("Runemount is already running from this folder."),
                             QMessageBox::Ok, QMessageBox::NoButton);
        return 1;
    }
    const std::unique_ptr<GameRegistry> registry = GameRegistry::system();
    MainWindow window(applicationDir, *registry);
    QObject::connect(&termination, &TerminationSignal::received, &window, &QWidget::close);
    window.show();
    return QApplication::exec();
}

} // namespace Startup
