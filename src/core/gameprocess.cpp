#include "gameprocess.h"

#include "pathnames.h"

#include <QFileInfo>

namespace GameProcess
{

const QStringList &executableNames()
{
    static const QStringList names{QStringLiteral("Warcraft III.exe"),
                                   QStringLiteral("World Editor.exe")};
    return names;
}

bool isExecutableName(const QString &fileName)
{
    // Windows finds them in any case, so a command line may name them so.
    return executableNames().contains(fileName, Qt::CaseInsensitive);
}

bool isGameExecutable(const QString &path, const QString &gameFolder)
{
    const QFileInfo file(path);
    return !gameFolder.isEmpty() && isExecutableName(file.fileName()) &&
           PathNames::samePath(PathNames::resolved(file.absolutePath()),
                               PathNames::resolved(gameFolder));
}

} // namespace GameProcess
