#include "modmount.h"

#include "entryplacer.h"
#include "pathnames.h"

#include <QDirIterator>

#include <utility>

using namespace WorkerParts;
using FileEntry::Kind;

ModMount::ModMount(EntryPlacer &entryPlacer, const QString &modFolder, Report reportTo,
                   const std::atomic<bool> &abortFlag)
    : placer(entryPlacer), modRoot(modFolder + QLatin1Char('/')), report(std::move(reportTo)),
      aborted(abortFlag)
{
}

OutcomeCounts ModMount::mountFolder(const QString &folder, const QString &gameFolder)
{
    OutcomeCounts counts;
    QDirIterator listing(folder, allEntries);
    if (aborted || !listing.hasNext())
        return counts;
    GameNames &gameNames = placer.gameNames();
    while (listing.hasNext()) {
        const QString sourcePath = listing.next();
        const QString relative = relativeTo(sourcePath, modRoot);
        // The game's own spelling: the game matches names regardless of case.
        const QString targetName = gameNames.spelling(gameFolder, listing.fileName());
        const QString target = gameFolder + QLatin1Char('/') + targetName;
        const QString targetKey = target.toCaseFolded();
        if (!alreadyPlaced.isEmpty() && alreadyPlaced.contains(targetKey))
            continue;
        report(relative, false);
        if (!PathNames::fitsOnOneLine(target)) {
            // A record holds one path per line: it could not be put on record, so it is not
            // placed at all.
            report(EntryPlacer::failedText(sourcePath, TransferMode::Link), true);
            counts.add(Failed);
        } else if (placedNow.contains(targetKey)) {
            // Two entries of the mod that differ only in case: the game sees one name.
            report(QStringLiteral("Another entry of the mod has the same name: ") + sourcePath,
                   true);
            counts.add(Failed);
        } else {
            const Kind targetKind = FileEntry::kindOf(target);
            if (targetKind == Kind::Folder) {
                // The game has a real folder here: link the mod's entries one by one inside it.
                counts += mountFolder(sourcePath, target);
            } else if (placer.linksRefused()) {
                counts.add(Failed);
            } else {
                EntryPlacer::Placement recorded;
                recorded.record = true;
                const FileOutcome outcome =
                    placer.placeKnown(EntryPlacer::sourceFrom(listing.fileInfo()), target,
                                      targetKind, TransferMode::Link, recorded);
                if (outcome == Done) {
                    placedNow.insert(targetKey);
                    gameNames.add(gameFolder, targetName);
                }
                counts.add(outcome);
            }
        }
        if (aborted)
            break;
    }
    return counts;
}
