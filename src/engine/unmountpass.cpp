#include "unmountpass.h"

#include "backupname.h"
#include "entryplacer.h"
#include "entryremoval.h"
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

UnmountPass::UnmountPass(const WorkerPaths &paths, bool forced, MountRecords &mountRecords,
                         EntryPlacer &entryPlacer, EntryRemoval &entryRemoval, Report reportTo,
                         Announce announceTo, const std::atomic<bool> &abortFlag)
    : records(mountRecords), force(forced), placer(entryPlacer), removal(entryRemoval),
      report(std::move(reportTo)), announce(std::move(announceTo)), aborted(abortFlag),
      check(paths.game), journal(paths.unmountProgress)
{
}

OutcomeCounts UnmountPass::run()
{
    OutcomeCounts counts;
    // Read once each: the first pass also needs to know the backups on record.
    const MountRecords::Lines placed = records.read(MountRecords::Record::Placed);
    const MountRecords::Lines backups = records.read(MountRecords::Record::Backups);
    counts += unmountPlacedEntries(placed, backups);
    // While the record of placed links still lists links already removed, a game entry put
    // back at such a path would later be taken for one of ours.
    if (!aborted && rewritten)
        counts += restoreBackups(backups);
    if (rewritten)
        journal.clear();
    return counts;
}

OutcomeCounts
UnmountPass::workThroughRecord(MountRecords::Record record, const MountRecords::Lines &recorded,
                               UnmountJournal::Step step, RecordOrder order,
                               const std::function<Handled(const std::string &)> &handle)
{
    const std::vector<std::string> &lines = recorded.paths;
    auto indexAt = [&lines, order](size_t n) {
        return order == RecordOrder::Forward ? n : lines.size() - 1 - n;
    };

    OutcomeCounts counts;
    // Lines not visited (after an abort) still describe changes that a later unmount has to
    // undo, so they are kept like the ones that failed.
    std::vector<bool> keep(lines.size(), true);
    size_t noted = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        if (n == noted) {
            std::vector<const std::string *> batch;
            for (; noted < lines.size() && batch.size() < journalBatch; ++noted)
                batch.push_back(&lines[indexAt(noted)]);
            journal.note(step, batch);
        }
        const size_t i = indexAt(n);
        const Handled handled = handle(lines[i]);
        counts.add(handled.outcome);
        keep[i] = !force && handled.stillToUndo;
        if (aborted)
            break;
    }

    std::vector<std::string> kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (keep[i])
            kept.push_back(lines[i]);
    if (!records.keepOnly(record, kept)) {
        // The record still lists what this pass undid; the journal tells the next unmount.
        rewritten = false;
        report(QStringLiteral("Failed to write record file: ") + records.fileName(record), true);
        counts.add(Failed);
    }
    return counts;
}

OutcomeCounts UnmountPass::unmountPlacedEntries(const MountRecords::Lines &placed,
                                                const MountRecords::Lines &backups)
{
    if (!placed.readable)
        return OutcomeCounts();
    // A recorded link that is not there while a backup is to go back to its path was never
    // made (the mount stopped between its record and the link): the restore takes care of
    // that path, and keeping the line would later take the game's own entry for our link.
    QSet<QString> restorePaths;
    for (const std::string &line : backups.paths)
        restorePaths.insert(BackupName::restorePath(fromUtf8(line)));
    return workThroughRecord(
        MountRecords::Record::Placed, placed, UnmountJournal::Remove, RecordOrder::Forward,
        [this, &restorePaths](const std::string &line) -> Handled {
            const QString path = fromUtf8(line);
            report(path, false);
            if (!check.accepts(path)) {
                report(untrustedText(path), true);
                return {Failed, true};
            }
            const Kind kind = kindOf(path);
            if (kind == Kind::Link) {
                const FileOutcome outcome = removal.removeKnown(path, kind);
                if (outcome != Done)
                    linksLeft.insert(path);
                return {outcome, outcome != Done};
            }
            if (kind != Kind::None) {
                report(QStringLiteral("Not a symbolic link: ") + path, true);
                return {Failed, true};
            }
            if (journal.wasStarted(UnmountJournal::Remove, line))
                return {Done, false}; // removed by an unmount that was interrupted
            report(QStringLiteral("Missing file: ") + path, true);
            return {Missing, !restorePaths.contains(path)};
        });
}

OutcomeCounts UnmountPass::restoreBackups(const MountRecords::Lines &backups)
{
    if (!backups.readable)
        return OutcomeCounts();
    announce(QStringLiteral("restoring backups..."));
    const QSet<QString> backupPaths = asPaths(backups.paths);
    // Last set aside, first put back: a backup may itself have been set aside again when the
    // mod brings an entry named like it.
    const OutcomeCounts counts = workThroughRecord(
        MountRecords::Record::Backups, backups, UnmountJournal::Restore, RecordOrder::Backward,
        [this, &backupPaths](const std::string &line) -> Handled {
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
            // Put back by an unmount that was interrupted (a rename leaves no state between),
            // and maybe put back further since, when its path is itself a backup on record.
            if (backup.kind == Kind::None && journal.wasStarted(UnmountJournal::Restore, line) &&
                (kindOf(target) != Kind::None || backupPaths.contains(target)))
                return {Done, false};
            // Something else took the path while the mod was mounted (a game update, the
            // user): that is the newer version, and the earlier one stays on record beside it.
            if (backup.kind != Kind::None && !linksLeft.contains(target) &&
                kindOf(target) != Kind::None) {
                report(QStringLiteral("Kept the newer game entry: ") + target +
                           QStringLiteral(" (the earlier one stays as ") + backupPath +
                           QLatin1Char(')'),
                       true);
                return {Failed, true};
            }
            const FileOutcome outcome = placer.placeByTrying(backup, target, TransferMode::Move);
            return {outcome, outcome != Done};
        });
    announce(QString());
    return counts;
}
