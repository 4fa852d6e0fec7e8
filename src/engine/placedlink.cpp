#include "placedlink.h"

#include "fileentry.h"

#include <QFileInfo>

namespace PlacedLink
{

QString modEntry(const QString &placedPath, const QString &gameFolder, const QString &modFolder)
{
    // A game folder typed with a slash too many wrote its lines with a doubled one.
    QString relative = placedPath.mid(gameFolder.size());
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return modFolder + QLatin1Char('/') + relative;
}

bool leadsTo(const QString &path, const QString &target)
{
    return FileEntry::kindOf(path) == FileEntry::Kind::Link &&
           QFileInfo(path).symLinkTarget().compare(target, Qt::CaseInsensitive) == 0;
}

} // namespace PlacedLink
