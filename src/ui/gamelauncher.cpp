#include "gamelauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace GameLauncher
{

bool start(const QString &executable)
{
#ifdef Q_OS_WIN
    return QDesktopServices::openUrl(QUrl::fromLocalFile(executable));
#else
    const QFileInfo file(executable);
    if (!file.isFile())
        return false;
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty())
        return false;
    return QProcess::startDetached(wine, {file.absoluteFilePath()}, file.absolutePath());
#endif
}

} // namespace GameLauncher
