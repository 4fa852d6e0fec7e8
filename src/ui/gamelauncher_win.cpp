#include "gamelauncher.h"

#include <QDesktopServices>
#include <QUrl>

namespace GameLauncher
{

bool start(const QString &executable)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(executable));
}

} // namespace GameLauncher
