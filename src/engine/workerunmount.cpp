// The Worker's unmount: the placed links removed and the backups put back, from the records,
// with a journal that lets a later unmount finish one cut short; and removing emptied folders.
#include "worker.h"

#include "backupname.h"
#include "fileentry.h"
#include "linereader.h"
#include "pathnames.h"
#include "recordedpathcheck.h"
#include "symboliclink.h"
#include "utf8.h"
#include "workerparts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

// How many lines the unmount notes in its journal with one write.
const size_t journalBatch = 64;

} // namespace

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::kindOf;
using FileEntry::nativePath;
using PathNames::samePath;

void Worker::unmountModWorker(bool force)
{
    OutcomeCounts counts;
    if (!aborted) {
        RecordedPathCheck check(paths.game);
        UnmountJournal journal(paths.unmountProgress);
        Pass pass{force, check, journal, true, {}};
        // Read once each: the first pass also needs to know the backups on record.
        const Record placed = readRecord(paths.outFiles);
        const Record backups = readRecord(paths.backupFiles);
        counts += unmountPlacedEntries(pass, placed, backups);
        // While the record of placed links still lists links already removed, a game entry put
        // back at such a path would later be taken for one of ours.
        if (!aborted && pass.rewritten)
            counts += restoreBackups(pass, backups);
        if (pass.rewritten)
            journal.clear();
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, force);
}

Worker::Record Worker::readRecord(const QString &path)
{
    Record record;
    LineReader reader(toUtf8(path));
    record.path = path;
    record.readable = reader.isReadable();
    while (reader.next())
        if (!reader.line.empty())
            record.lines.push_back(reader.line);
    return record;
}

OutcomeCounts Worker::workThroughRecord(const Record &record, Pass &pass, UnmountJournal::Step step,
                                        RecordOrder order,
                                        const std::function<Handled(const std::string &)> &handle)
{
    const std::vector<std::string> &lines = record.lines;
    const QString &recordPath = record.path;
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
            pass.journal.note(step, batch);
        }
        const size_t i = indexAt(n);
        const Handled handled = handle(lines[i]);
        counts.add(handled.outcome);
        keep[i] = !pass.force && handled.stillToUndo;
        if (aborted)
            break;
    }

    QByteArray kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (keep[i])
            keepLine(kept, lines[i]);
    if (!RecordFile::rewrite(recordPath, kept)) {
        // The record still lists what this pass undid; the journal tells the next unmount.
        pass.rewritten = false;
        emit status(QStringLiteral("Failed to write record file: ") + recordPath, true);
        counts.add(Failed);
    }
    return counts;
}

void Worker::reportUntrusted(const QString &line)
{
    emit status(QStringLiteral("Not a recorded path inside the game folder: ") + line, true);
}

OutcomeCounts Worker::unmountPlacedEntries(Pass &pass, const Record &placed, const Record &backups)
{
    if (!placed.readable)
        return OutcomeCounts();
    // A recorded link that is not there while a backup is to go back to its path was never
    // made (the mount stopped between its record and the link): the restore takes care of
    // that path, and keeping the line would later take the game's own entry for our link.
    QSet<QString> restorePaths;
    for (const std::string &line : backups.lines)
        restorePaths.insert(BackupName::restorePath(fromUtf8(line)));
    return workThroughRecord(
        placed, pass, UnmountJournal::Remove, RecordOrder::Forward,
        [this, &pass, &restorePaths](const std::string &line) -> Handled {
            const QString path = fromUtf8(line);
            emit status(path, false);
            if (!pass.check.accepts(path)) {
                reportUntrusted(path);
                return {Failed, true};
            }
            const Kind kind = kindOf(path);
            if (kind == Kind::Link) {
                const FileOutcome outcome = removeKnown(path, kind);
                if (outcome != Done)
                    pass.linksLeft.insert(path);
                return {outcome, outcome != Done};
            }
            if (kind != Kind::None) {
                emit status(QStringLiteral("Not a symbolic link: ") + path, true);
                return {Failed, true};
            }
            if (pass.journal.wasStarted(UnmountJournal::Remove, line))
                return {Done, false}; // removed by an unmount that was interrupted
            emit status(QStringLiteral("Missing file: ") + path, true);
            return {Missing, !restorePaths.contains(path)};
        });
}

OutcomeCounts Worker::restoreBackups(Pass &pass, const Record &backups)
{
    if (!backups.readable)
        return OutcomeCounts();
    emit appendAction(QStringLiteral("restoring backups..."));
    const QSet<QString> backupPaths = asPaths(backups.lines);
    // Last set aside, first put back: a backup may itself have been set aside again when the
    // mod brings an entry named like it.
    const OutcomeCounts counts = workThroughRecord(
        backups, pass, UnmountJournal::Restore, RecordOrder::Backward,
        [this, &pass, &backupPaths](const std::string &line) -> Handled {
            const QString backupPath = fromUtf8(line);
            emit status(QFileInfo(backupPath).fileName(), false);
            if (!pass.check.accepts(backupPath)) {
                reportUntrusted(backupPath);
                return {Failed, true};
            }
            const QString target = BackupName::restorePath(backupPath);
            if (target.isEmpty()) {
                emit status(QStringLiteral("Failed to move file: ") + backupPath, true);
                return {Failed, true};
            }
            if (!pass.check.accepts(target)) {
                reportUntrusted(backupPath);
                return {Failed, true};
            }
            const SourceEntry backup = sourceAt(backupPath);
            // Put back by an unmount that was interrupted (a rename leaves no state between),
            // and maybe put back further since, when its path is itself a backup on record.
            if (backup.kind == Kind::None &&
                pass.journal.wasStarted(UnmountJournal::Restore, line) &&
                (kindOf(target) != Kind::None || backupPaths.contains(target)))
                return {Done, false};
            // Something else took the path while the mod was mounted (a game update, the
            // user): that is the newer version, and the earlier one stays on record beside it.
            if (backup.kind != Kind::None && !pass.linksLeft.contains(target) &&
                kindOf(target) != Kind::None) {
                emit status(QStringLiteral("Kept the newer game entry: ") + target +
                                QStringLiteral(" (the earlier one stays as ") + backupPath +
                                QLatin1Char(')'),
                            true);
                return {Failed, true};
            }
            const FileOutcome outcome =
                placeByTrying(backup, target, TransferMode::Move, Placement());
            return {outcome, outcome != Done};
        });
    emit appendAction(QString());
    return counts;
}

FileOutcome Worker::removeKnown(const QString &path, Kind kind)
{
    if (kind == Kind::None) {
        emit status(QStringLiteral("Missing file: ") + path, true);
        return Missing;
    }
    bool removed = false;
    if (kind == Kind::Link)
        removed = SymbolicLink::remove(nativePath(path)); // the link, never its target
    else if (kind == Kind::File)
        removed = QFile::remove(path);
    if (!removed) {
        emit status(QStringLiteral("Failed to delete file: ") + path, true);
        return Failed;
    }
    return Done;
}

void Worker::deleteEmptyFolders(const QString &folder, const QString &stopFolder)
{
    QString current = folder;
    for (;;) {
        const QString path = QDir(current).absolutePath();
        const QString parent = folderOf(path);
        if (samePath(path, stopFolder) || samePath(path, paths.mods) ||
            samePath(path, paths.game) || (stopFolder.isEmpty() && samePath(parent, paths.mods)) ||
            parent == path)
            return;
        if (!removeFolder(path))
            return;
        current = parent;
    }
}

bool Worker::removeFolder(const QString &path)
{
    // Tried straight away: a folder that still holds something is simply not removed.
    switch (EntryCalls::removeFolder(nativePath(path))) {
    case EntryCalls::RemoveFolder::Done:
        return true;
    case EntryCalls::RemoveFolder::NotFound:
        return false;
    case EntryCalls::RemoveFolder::NotEmpty:
        // Only entries the listing hides keep it: then it counts as empty, and as not removed.
        if (!QDir(path).isEmpty(allEntries))
            return false;
        break;
    case EntryCalls::RemoveFolder::Failed:
        break;
    }
    emit status(QStringLiteral("Failed to delete empty folder: ") + path, true);
    return false;
}
