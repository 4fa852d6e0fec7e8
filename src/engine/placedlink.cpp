#include "placedlink.h"

#include "fileentry.h"
#include "gamenames.h"

#include <QFileInfo>
#include <QStringList>

namespace PlacedLink
{

QString modEntry(const QString &placedPath, const QString &gameFolder, const QString &modFolder,
                 GameNames &modNames)
{
    // A game folder typed with a slash too many wrote its lines with a doubled one.
    const QStringList parts =
        placedPath.mid(gameFolder.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString entry = modFolder;
    for (const QString &part : parts)
        entry += QLatin1Char('/') + modNames.spelling(entry, part);
    return entry;
}

bool leadsTo(const QString &path, const QString &target)
{
    return FileEntry::kindOf(path) == FileEntry::Kind::Link &&
           QFileInfo(path).symLinkTarget().compare(target, Qt::CaseInsensitive) == 0;
}

} // namespace PlacedLink
