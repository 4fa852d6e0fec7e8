#include "unmountpass.h"

#include "backupname.h"
#include "entryplacer.h"
#include "entryremoval.h"
#include "placedlink.h"
#include "workerpaths.h"

#include <QFileInfo>

#include <utility>

namespace
{

// How many lines the unmount notes in its journal with one write.
const size_t journalBatch = 64;

} // namespace

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::kindOf;
using PlacedKind = MountRecords::PlacedKind;

UnmountPass::UnmountPass(const WorkerPaths &paths, const QString &mod, bool forced,
                         MountRecords &mountRecords, EntryPlacer &entryPlacer,
                         EntryRemoval &entryRemoval, Report reportTo, Announce announceTo,
                         const std::atomic<bool> &abortFlag)
    : gameFolder(paths.game), modFolder(mod), records(mountRecords), force(forced),
      placer(entryPlacer), removal(entryRemoval), report(std::move(reportTo)),
      announce(std::move(announceTo)), aborted(abortFlag), check(paths.game, OwnFolders::of(paths)),
      journal(paths.unmountProgress), keptBackups(paths.keptBackups)
{
}

OutcomeCounts UnmountPass::run()
{
    OutcomeCounts counts;
    // Read once each: the first pass also needs to know the backups on record.
    const MountRecords::PlacedEntries placed = records.readPlaced();
    const MountRecords::Lines backups = records.readBackups();
    counts += unmountPlacedEntries(placed, backups);
    // While the record of placed entries still lists entries already removed, a game entry put
    // back at such a path would later be taken for one of ours.
    if (!aborted && rewritten)
        counts += restoreBackups(backups);
    if (rewritten)
        journal.clear();
    return counts;
}

std::vector<bool> UnmountPass::workThrough(const std::vector<const std::string *> &paths,
                                           const std::vector<size_t> &order,
                                           UnmountJournal::Step step,
                                           const std::function<Handled(size_t)> &handle,
                                           OutcomeCounts &counts)
{
    std::vector<bool> keep(paths.size(), true);
    size_t noted = 0;
    for (size_t n = 0; n < order.size(); ++n) {
        if (n == noted) {
            std::vector<const std::string *> batch;
            for (; noted < order.size() && batch.size() < journalBatch; ++noted)
                batch.push_back(paths[order[noted]]);
            journal.note(step, batch);
        }
        const Handled handled = handle(order[n]);
        if (handled.counted)
            counts.add(handled.outcome);
        keep[order[n]] = !force && handled.stillToUndo;
        if (aborted)
            break;
    }
    return keep;
}

void UnmountPass::noteRewritten(bool written, MountRecords::Record record, OutcomeCounts &counts)
{
    if (written)
        return;
    // The record still lists what this pass undid; the journal tells the next unmount.
    rewritten = false;
    report(records.writeFailure(record), true);
    counts.add(Failed);
}

OutcomeCounts UnmountPass::unmountPlacedEntries(const MountRecords::PlacedEntries &placed,
                                                const MountRecords::Lines &backups)
{
    OutcomeCounts counts;
    if (!placed.readable)
        return counts;
    // A recorded entry that is not there while a backup is to go back to its path was never
    // made (the mount stopped between its record and the entry): the restore takes care of
    // that path, and keeping the line would later take the game's own entry for ours.
    QSet<QString> restorePaths;
    for (const std::string &line : backups.paths)
        restorePaths.insert(BackupName::restorePath(fromUtf8(line)));
    const std::vector<MountRecords::Placed> &entries = placed.entries;
    // Folders the mount made go once what it placed in them is gone: the last made first.
    std::vector<size_t> order;
    std::vector<const std::string *> paths;
    for (size_t i = 0; i < entries.size(); ++i) {
        paths.push_back(&entries[i].path);
        if (entries[i].kind != PlacedKind::Folder)
            order.push_back(i);
    }
    for (size_t i = entries.size(); i-- > 0;)
        if (entries[i].kind == PlacedKind::Folder)
            order.push_back(i);
    const std::vector<bool> keep = workThrough(
        paths, order, UnmountJournal::Remove,
        [&](size_t i) { return undoPlaced(entries[i], restorePaths); }, counts);

    std::vector<MountRecords::Placed> kept;
    for (size_t i = 0; i < entries.size(); ++i)
        if (keep[i])
            kept.push_back(entries[i]);
    noteRewritten(records.keepOnlyPlaced(kept), MountRecords::Record::Placed, counts);
    return counts;
}

UnmountPass::Handled UnmountPass::undoPlaced(const MountRecords::Placed &entry,
                                             const QSet<QString> &restorePaths)
{
    const QString path = fromUtf8(entry.path);
    report(path, false);
    if (!check.accepts(path)) {
        report(untrustedText(path), true);
        return {Failed, true};
    }
    // A hard link's identity comes with the look at what stands there.
    const HardLink::Look look = entry.kind == PlacedKind::HardLink
                                    ? HardLink::lookAt(FileEntry::nativePath(path))
                                    : HardLink::Look{kindOf(path), {}};
    const Kind kind = look.kind;
    if (kind == Kind::None) {
        if (journal.wasStarted(UnmountJournal::Remove, entry.path))
            return {Done, false}; // removed by an unmount that was interrupted
        report(QStringLiteral("Missing file: ") + path, true);
        return {Missing, !restorePaths.contains(path)};
    }
    FileOutcome outcome = Failed;
    switch (entry.kind) {
    case PlacedKind::SymbolicLink:
        if (kind != Kind::Link)
            return leaveNewer(path, restorePaths);
        outcome = removal.removeKnown(path, kind);
        break;
    case PlacedKind::HardLink:
        if (kind != Kind::File || !isPlacedHardLink(entry, path, look))
            return leaveNewer(path, restorePaths);
        outcome = removal.removeHardLink(path);
        break;
    case PlacedKind::Folder: {
        if (kind != Kind::Folder)
            return leaveNewer(path, restorePaths);
        // One that holds entries of the game's or the user's is theirs now.
        const FileOutcome removed = removal.removeMadeFolder(path);
        return {removed, removed != Kept && kindOf(path) != Kind::None};
    }
    }
    if (outcome != Done)
        linksLeft.insert(path);
    return {outcome, outcome != Done};
}

UnmountPass::Handled UnmountPass::leaveNewer(const QString &path, const QSet<QString> &restorePaths)
{
    report(QStringLiteral("Left the game's newer entry: ") + path, true);
    // With a backup of this path on record, the restore tells and counts what stays.
    return {Kept, false, !restorePaths.contains(path)};
}

bool UnmountPass::isPlacedHardLink(const MountRecords::Placed &entry, const QString &path,
                                   const HardLink::Look &look)
{
    if (entry.identity.known)
        return PlacedLink::isRecordedFile(entry, look);
    // Made, but killed before its identity was on record: still the mod's file, read now.
    return PlacedLink::standsFor(PlacedKind::HardLink, path,
                                 PlacedLink::modEntry(path, gameFolder, modFolder, modNames));
}

OutcomeCounts UnmountPass::restoreBackups(const MountRecords::Lines &backups)
{
    OutcomeCounts counts;
    if (!backups.readable)
        return counts;
    announce(QStringLiteral("restoring backups..."));
    const QSet<QString> backupPaths = asPaths(backups.paths);
    // Last set aside, first put back: a backup may itself have been set aside again when the
    // mod brings an entry named like it.
    std::vector<const std::string *> paths;
    std::vector<size_t> order;
    for (size_t i = 0; i < backups.paths.size(); ++i) {
        paths.push_back(&backups.paths[i]);
        order.push_back(backups.paths.size() - 1 - i);
    }
    const std::vector<bool> keep = workThrough(
        paths, order, UnmountJournal::Restore,
        [&](size_t i) { return restoreBackup(backups.paths[i], backupPaths); }, counts);

    std::vector<std::string> kept;
    for (size_t i = 0; i < backups.paths.size(); ++i)
        if (keep[i])
            kept.push_back(backups.paths[i]);
    noteRewritten(records.keepOnlyBackups(kept), MountRecords::Record::Backups, counts);
    announce(QString());
    return counts;
}

UnmountPass::Handled UnmountPass::restoreBackup(const std::string &line,
                                                const QSet<QString> &backupPaths)
{
    const QString backupPath = fromUtf8(line);
    report(QFileInfo(backupPath).fileName(), false);
    if (!check.accepts(backupPath)) {
        report(untrustedText(backupPath), true);
        return {Failed, true};
    }
    const QString target = BackupName::restorePath(backupPath);
    if (target.isEmpty()) {
        report(QStringLiteral("Failed to move file: ") + backupPath, true);
        return {Failed, true};
    }
    if (!check.accepts(target)) {
        report(untrustedText(backupPath), true);
        return {Failed, true};
    }
    const EntryPlacer::SourceEntry backup = EntryPlacer::sourceAt(backupPath);
    // Put back by an unmount that was interrupted (a rename leaves no state between), and maybe
    // put back further since, when its path is itself a backup on record.
    if (backup.kind == Kind::None && journal.wasStarted(UnmountJournal::Restore, line) &&
        (kindOf(target) != Kind::None || backupPaths.contains(target)))
        return {Done, false};
    // Something else took the path while the mod was mounted (a game update, the user): that
    // is the newer version, and the earlier one stays on record beside it.
    if (backup.kind != Kind::None && !linksLeft.contains(target) && kindOf(target) != Kind::None) {
        report(QStringLiteral("Kept the newer game entry: ") + target +
                   QStringLiteral(" (the earlier one stays as ") + backupPath + QLatin1Char(')'),
               true);
        return keepListed(backupPath);
    }
    const FileOutcome outcome = placer.placeByTrying(backup, target, TransferMode::Move);
    // A forced pass forgets the line, not the entry.
    if (force && outcome != Done && kindOf(backupPath) != Kind::None)
        keepListed(backupPath);
    return {outcome, outcome != Done};
}

UnmountPass::Handled UnmountPass::keepListed(const QString &backupPath)
{
    if (keptBackups.append(backupPath))
        return {Kept, false};
    report(keptBackups.writeFailure(), true);
    return {Failed, true};
}
