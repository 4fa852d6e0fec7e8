#include "configstore.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // Must be set before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_DisableWindowContextHelpButton, true);
    // The forms have fixed sizes: scaled with the screen they keep their text whole at 150%.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/icon.ico")));
    return Startup::run(ConfigStore::applicationDirectory());
}
