#include "modwalk.h"

#include "gamenames.h"
#include "mountrecords.h"
#include "workerparts.h"

#include <QDirIterator>

#include <utility>

using FileEntry::Kind;

ModWalk::ModWalk(const QString &modFolder, GameNames &gameNames, OwnFolders ownFolders,
                 Visitor &entryVisitor, const std::atomic<bool> &abortFlag, MountWay way)
    : modRoot(modFolder + QLatin1Char('/')), names(gameNames), own(std::move(ownFolders)),
      visitor(entryVisitor), aborted(abortFlag), makesFolders(way == MountWay::HardLinks)
{
}

OutcomeCounts ModWalk::walk(const QString &folder, const QString &gameFolder)
{
    OutcomeCounts counts;
    QDirIterator listing(folder, WorkerParts::allEntries);
    while (!aborted && listing.hasNext()) {
        const QString sourcePath = listing.next();
        // The game's own spelling: the game matches names regardless of case.
        const QString targetName = names.spelling(gameFolder, listing.fileName());
        const Entry entry{listing.fileInfo(), WorkerParts::relativeTo(sourcePath, modRoot),
                          gameFolder + QLatin1Char('/') + targetName};
        const QString targetKey = entry.target.toCaseFolded();
        if (!alreadyPlaced.isEmpty() && alreadyPlaced.contains(targetKey))
            continue;
        visitor.reached(entry);
        if (!MountRecords::canHold(entry.target)) {
            // It could not be put on record, so it is not placed at all.
            visitor.refuse(entry, Refusal::Unrecordable);
            counts.add(Failed);
            continue;
        }
        if (own.holds(entry.target)) {
            // Never walked into either: one line says the whole folder is left alone.
            visitor.refuse(entry, Refusal::OwnFolder);
            counts.add(Failed);
            continue;
        }
        if (placedNow.contains(targetKey)) {
            // Two entries of the mod that differ only in case: the game sees one name.
            visitor.refuse(entry, Refusal::SameNameAsPlaced);
            counts.add(Failed);
            continue;
        }
        const Kind targetKind = names.kindOf(gameFolder, targetName);
        if (targetKind == Kind::Folder) {
            // The game has a real folder here: the mod's entries go one by one inside it.
            counts += walk(sourcePath, entry.target);
            continue;
        }
        // Only a real folder: a link of the mod is placed (or refused) as it is.
        const bool madeFolder =
            makesFolders && entry.source.isDir() && !FileEntry::isLink(entry.source);
        const FileOutcome outcome =
            madeFolder ? visitor.makeFolder(entry, targetKind) : visitor.place(entry, targetKind);
        if (outcome == Done) {
            placedNow.insert(targetKey);
            names.add(gameFolder, targetName);
        }
        counts.add(outcome);
        if (madeFolder && outcome == Done) {
            names.addMadeFolder(entry.target);
            counts += walk(sourcePath, entry.target);
        }
    }
    return counts;
}
