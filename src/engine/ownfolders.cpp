#include "ownfolders.h"

#include "pathnames.h"
#include "workerpaths.h"

#include <QDir>

namespace
{

QString comparable(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path)).toCaseFolded();
}

} // namespace

OwnFolders::OwnFolders(const QString &gameFolder, const QStringList &folders)
{
    if (gameFolder.isEmpty())
        return;
    const QString gameTyped = PathNames::absoluteClean(gameFolder);
    const QString gameReal = PathNames::resolved(gameFolder);
    for (const QString &folder : folders) {
        if (!PathNames::liesWithin(folder, gameFolder))
            continue;
        // Where it lies below the game folder, reached by the path the mount uses.
        const QString below = PathNames::resolved(folder).mid(gameReal.size());
        inside << comparable(gameTyped + QLatin1Char('/') + below);
    }
}

OwnFolders OwnFolders::of(const WorkerPaths &paths)
{
    return OwnFolders(paths.game, {paths.app, paths.mods});
}

bool OwnFolders::holds(const QString &path) const
{
    // Most copies of the program lie outside the game folder: then no path needs a look.
    if (inside.isEmpty() || path.isEmpty())
        return false;
    const QString folded = comparable(path);
    for (const QString &folder : inside)
        if (PathNames::isInside(folded, folder))
            return true;
    return false;
}
