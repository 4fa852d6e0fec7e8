#include "gamelauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace GameLauncher
{

bool start(const QString &executable)
{
    const QFileInfo file(executable);
    if (!file.isFile())
        return false;
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty())
        return false;
    return QProcess::startDetached(wine, {file.absoluteFilePath()}, file.absolutePath());
}

} // namespace GameLauncher
