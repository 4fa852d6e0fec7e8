// The Worker's check and repair of a mount: the game folder compared with the records, and
// made again what a fresh mount of the mod would make it, with every change on record before
// it is made, as in the mount.
#include "worker.h"

#include "backupname.h"
#include "gamenames.h"
#include "mountcheck.h"
#include "placedlink.h"
#include "recordedpathcheck.h"
#include "utf8.h"
#include "workerparts.h"

#include <QHash>

using FileEntry::Kind;
using FileEntry::kindOf;

void Worker::checkModWorker()
{
    MountCheck check(
        paths.game, modFolder(),
        [this](const QString &text, bool error) { emit status(text, error); }, aborted);
    const OutcomeCounts counts = check.run(paths.outFiles, paths.backupFiles);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

void Worker::repairModWorker()
{
    OutcomeCounts counts;
    if (!aborted) {
        outFilesStream.keepExistingLines();
        backupFilesStream.keepExistingLines();
        counts += repairRecordedLinks();
        // Then what the mod holds that is not placed yet, as a mount would place it.
        if (!aborted)
            counts += mountFolder(modFolder(), paths.game);
    }
    outFilesStream.close();
    backupFilesStream.close();
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

OutcomeCounts Worker::repairRecordedLinks()
{
    OutcomeCounts counts;
    RecordedPathCheck trusted(paths.game);
    GameNames modNames; // a link's name has the game's spelling, its mod entry the mod's
    const Record placed = readRecord(paths.outFiles);
    const Record backups = readRecord(paths.backupFiles);
    const QSet<QString> placedPaths = WorkerParts::asPaths(placed.lines);
    // The entry each path had before the mount, where the mount set one aside (the last one
    // set aside from a path is the one that left it).
    QHash<QString, QString> setAsideFrom;
    for (const std::string &line : backups.lines) {
        const QString backup = fromUtf8(line);
        if (!placedPaths.contains(backup))
            setAsideFrom.insert(BackupName::restorePath(backup), backup);
    }

    QSet<QString> droppedLinks;
    QSet<QString> droppedBackups;
    for (const std::string &line : placed.lines) {
        if (aborted)
            break;
        const QString path = fromUtf8(line);
        emit status(path, false);
        if (!trusted.accepts(path)) {
            reportUntrusted(path);
            counts.add(Failed);
            continue;
        }
        alreadyPlaced.insert(path.toCaseFolded());
        const SourceEntry source =
            sourceAt(PlacedLink::modEntry(path, paths.game, modFolder(), modNames));
        const bool ours = PlacedLink::leadsTo(path, source.path);
        if (source.kind == Kind::None) {
            // Gone from the mod: its link goes, then its line, and the game's own entry comes
            // back as a fresh mount would leave it.
            if (ours && removeKnown(path, Kind::Link) != Done) {
                counts.add(Failed);
                continue;
            }
            droppedLinks.insert(path);
            const QString backup = setAsideFrom.value(path);
            if (!backup.isEmpty() && restoreSetAside(path, backup))
                droppedBackups.insert(backup);
            counts.add(Done);
            continue;
        }
        if (ours) {
            counts.add(Done);
            continue;
        }
        // Missing, or taken by another entry (a game update): whatever stands there is set
        // aside first, kept and on record, and the link placed again.
        Placement again;
        again.record = true;
        again.lineOnRecord = true;
        counts.add(placeKnown(source, path, kindOf(path), TransferMode::Link, again));
    }
    if (!dropRecordLines(paths.outFiles, outFilesStream, droppedLinks) ||
        !dropRecordLines(paths.backupFiles, backupFilesStream, droppedBackups))
        counts.add(Failed);
    return counts;
}

bool Worker::restoreSetAside(const QString &path, const QString &backupPath)
{
    if (kindOf(path) != Kind::None || kindOf(backupPath) == Kind::None)
        return false;
    return placeByTrying(sourceAt(backupPath), path, TransferMode::Move, Placement()) == Done;
}

bool Worker::dropRecordLines(const QString &path, RecordFile &stream, const QSet<QString> &dropped)
{
    if (dropped.isEmpty())
        return true;
    // Lines this run added come after the ones read at its start: read the record again.
    stream.close();
    const Record record = readRecord(path);
    QByteArray kept;
    for (const std::string &line : record.lines) {
        if (!dropped.contains(fromUtf8(line)))
            WorkerParts::keepLine(kept, line);
    }
    if (RecordFile::rewrite(path, kept))
        return true;
    emit status(QStringLiteral("Failed to write record file: ") + path, true);
    return false;
}
