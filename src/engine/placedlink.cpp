#include "placedlink.h"

#include "fileentry.h"
#include "gamenames.h"
#include "hardlink.h"

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

bool standsFor(MountRecords::PlacedKind kind, const QString &path, const QString &modEntry)
{
    switch (kind) {
    case MountRecords::PlacedKind::SymbolicLink:
        return leadsTo(path, modEntry);
    case MountRecords::PlacedKind::HardLink:
        return FileEntry::kindOf(path) == FileEntry::Kind::File &&
               HardLink::sameFile(HardLink::identityOf(FileEntry::nativePath(path)),
                                  HardLink::identityOf(FileEntry::nativePath(modEntry)));
    case MountRecords::PlacedKind::Folder:
        return FileEntry::kindOf(path) == FileEntry::Kind::Folder;
    }
    return false;
}

bool isRecordedFile(const MountRecords::Placed &entry, const QString &path)
{
    return isRecordedFile(entry, HardLink::lookAt(FileEntry::nativePath(path)));
}

bool isRecordedFile(const MountRecords::Placed &entry, const HardLink::Look &look)
{
    return look.kind == FileEntry::Kind::File && HardLink::sameFile(look.identity, entry.identity);
}

} // namespace PlacedLink
