#include "modmount.h"

#include "entryplacer.h"

#include <QDir>

#include <utility>

ModMount::ModMount(EntryPlacer &entryPlacer, const QString &modFolder, OwnFolders ownFolders,
                   WorkerParts::Report reportTo, const std::atomic<bool> &aborted)
    : placer(entryPlacer), report(std::move(reportTo)),
      walk(modFolder, entryPlacer.gameNames(), std::move(ownFolders), *this, aborted,
           entryPlacer.linkMode() == TransferMode::HardLink ? MountWay::HardLinks
                                                            : MountWay::SymbolicLinks)
{
}

void ModMount::reached(const ModWalk::Entry &entry)
{
    report(entry.relative, false);
}

FileOutcome ModMount::place(const ModWalk::Entry &entry, FileEntry::Kind targetKind)
{
    // Said once, when the system refused the first link; no further one is tried.
    if (placer.linksRefused())
        return Failed;
    return placer.placeKnown(EntryPlacer::sourceFrom(entry.source), entry.target, targetKind,
                             EntryPlacer::LinkLine::Write);
}

void ModMount::refuse(const ModWalk::Entry &entry, ModWalk::Refusal why)
{
    report(refusalText(entry, why, placer.linkMode()), true);
}

QString ModMount::refusalText(const ModWalk::Entry &entry, ModWalk::Refusal why, TransferMode mode)
{
    switch (why) {
    case ModWalk::Refusal::Unrecordable:
        return EntryPlacer::failedText(entry.source.filePath(), mode);
    case ModWalk::Refusal::SameNameAsPlaced:
        return QStringLiteral("Another entry of the mod has the same name: ") +
               entry.source.filePath();
    case ModWalk::Refusal::OwnFolder:
        return QStringLiteral("Skipped the program's own folder: ") + QDir::cleanPath(entry.target);
    }
    return QString();
}

FileOutcome ModMount::makeFolder(const ModWalk::Entry &entry, FileEntry::Kind targetKind)
{
    return placer.makeFolder(EntryPlacer::sourceFrom(entry.source), entry.target, targetKind);
}
