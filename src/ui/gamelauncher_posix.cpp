#include "gamelauncher.h"

#include "wineprefix.h"

#include <QFileInfo>
#include <QProcess>

namespace GameLauncher
{

bool start(const QString &executable)
{
    const QFileInfo file(executable);
    if (!file.isFile())
        return false;
    const QString wine = WinePrefix::wineProgram();
    if (wine.isEmpty())
        return false;
    QProcess game;
    game.setProgram(wine);
    game.setArguments({file.absoluteFilePath()});
    game.setWorkingDirectory(file.absolutePath());
    // The game's own prefix, where its options and saved games are; else Wine's standard one.
    const QString prefix = WinePrefix::containing(file.absoluteFilePath());
    if (!prefix.isEmpty())
        game.setProcessEnvironment(WinePrefix(prefix).environment());
    return game.startDetached();
}

} // namespace GameLauncher
