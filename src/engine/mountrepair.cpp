#include "mountrepair.h"

#include "backupname.h"
#include "entryplacer.h"
#include "entryremoval.h"
#include "gamenames.h"
#include "modmount.h"
#include "placedlink.h"
#include "recordedpathcheck.h"

#include <QHash>

#include <utility>

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::kindOf;

MountRepair::MountRepair(const QString &game, const QString &mod, MountRecords &mountRecords,
                         EntryPlacer &entryPlacer, EntryRemoval &entryRemoval, ModMount &modMount,
                         Report reportTo, const std::atomic<bool> &abortFlag)
    : gameFolder(game), modFolder(mod), records(mountRecords), placer(entryPlacer),
      removal(entryRemoval), mount(modMount), report(std::move(reportTo)), aborted(abortFlag)
{
}

OutcomeCounts MountRepair::run()
{
    records.appendToExisting();
    OutcomeCounts counts = repairRecordedLinks();
    // Then what the mod holds that is not placed yet, as a mount would place it.
    if (!aborted)
        counts += mount.mountFolder(modFolder, gameFolder);
    return counts;
}

OutcomeCounts MountRepair::repairRecordedLinks()
{
    OutcomeCounts counts;
    RecordedPathCheck trusted(gameFolder);
    GameNames modNames; // a link's name has the game's spelling, its mod entry the mod's
    const MountRecords::Lines placed = records.read(MountRecords::Record::Placed);
    const MountRecords::Lines backups = records.read(MountRecords::Record::Backups);
    const QSet<QString> placedPaths = asPaths(placed.paths);
    // The entry each path had before the mount, where the mount set one aside (the last one
    // set aside from a path is the one that left it).
    QHash<QString, QString> setAsideFrom;
    for (const std::string &line : backups.paths) {
        const QString backup = fromUtf8(line);
        if (!placedPaths.contains(backup))
            setAsideFrom.insert(BackupName::restorePath(backup), backup);
    }

    QSet<QString> droppedLinks;
    QSet<QString> droppedBackups;
    for (const std::string &line : placed.paths) {
        if (aborted)
            break;
        const QString path = fromUtf8(line);
        report(path, false);
        if (!trusted.accepts(path)) {
            report(untrustedText(path), true);
            counts.add(Failed);
            continue;
        }
        mount.passBy(path);
        const EntryPlacer::SourceEntry source =
            EntryPlacer::sourceAt(PlacedLink::modEntry(path, gameFolder, modFolder, modNames));
        const bool ours = PlacedLink::leadsTo(path, source.path);
        if (source.kind == Kind::None) {
            // Gone from the mod: its link goes, then its line, and the game's own entry comes
            // back as a fresh mount would leave it.
            if (ours && removal.removeKnown(path, Kind::Link) != Done) {
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
        counts.add(placer.placeKnown(source, path, kindOf(path), EntryPlacer::LinkLine::OnRecord));
    }
    if (!dropFromRecord(MountRecords::Record::Placed, droppedLinks) ||
        !dropFromRecord(MountRecords::Record::Backups, droppedBackups))
        counts.add(Failed);
    return counts;
}

bool MountRepair::restoreSetAside(const QString &path, const QString &backupPath)
{
    if (kindOf(path) != Kind::None || kindOf(backupPath) == Kind::None)
        return false;
    return placer.placeByTrying(EntryPlacer::sourceAt(backupPath), path, TransferMode::Move) ==
           Done;
}

bool MountRepair::dropFromRecord(MountRecords::Record record, const QSet<QString> &dropped)
{
    if (dropped.isEmpty())
        return true;
    // Paths this run added come after the ones read at its start: read the record again.
    MountRecords::Lines now = records.read(record);
    std::vector<std::string> kept;
    for (std::string &line : now.paths) {
        if (!dropped.contains(fromUtf8(line)))
            kept.push_back(std::move(line));
    }
    if (records.keepOnly(record, kept))
        return true;
    report(QStringLiteral("Failed to write record file: ") + records.fileName(record), true);
    return false;
}
