#include "mountrepair.h"

#include "backupname.h"
#include "entryremoval.h"
#include "gamenames.h"
#include "modmount.h"
#include "placedlink.h"
#include "recordedpathcheck.h"

#include <utility>
#include <vector>

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::kindOf;
using PlacedKind = MountRecords::PlacedKind;

MountRepair::MountRepair(const QString &game, const QString &mod, OwnFolders ownFolders,
                         MountRecords &mountRecords, EntryPlacer &entryPlacer,
                         EntryRemoval &entryRemoval, ModMount &modMount, Report reportTo,
                         const std::atomic<bool> &abortFlag)
    : gameFolder(game), modFolder(mod), own(std::move(ownFolders)), records(mountRecords),
      placer(entryPlacer), removal(entryRemoval), mount(modMount), report(std::move(reportTo)),
      aborted(abortFlag)
{
}

OutcomeCounts MountRepair::run()
{
    records.appendToExisting();
    OutcomeCounts counts = repairRecordedEntries();
    // Then what the mod holds that is not placed yet, as a mount would place it.
    if (!aborted)
        counts += mount.mountFolder(modFolder, gameFolder);
    return counts;
}

OutcomeCounts MountRepair::repairRecordedEntries()
{
    OutcomeCounts counts;
    RecordedPathCheck trusted(gameFolder, own);
    GameNames modNames; // a placed entry's name has the game's spelling, its mod entry the mod's
    const MountRecords::PlacedEntries placed = records.readPlaced();
    QSet<QString> placedPaths;
    for (const MountRecords::Placed &entry : placed.entries)
        placedPaths.insert(fromUtf8(entry.path));
    // The last one set aside from a path is the one that left it.
    for (const std::string &line : records.readBackups().paths) {
        const QString backup = fromUtf8(line);
        if (!placedPaths.contains(backup))
            setAsideFrom.insert(BackupName::restorePath(backup), backup);
    }

    // Folders of mod folders now gone go after what was placed in them, the last made first.
    std::vector<const MountRecords::Placed *> goneFolders;
    for (const MountRecords::Placed &entry : placed.entries) {
        if (aborted)
            break;
        const QString path = fromUtf8(entry.path);
        report(path, false);
        if (!trusted.accepts(path)) {
            report(untrustedText(path), true);
            counts.add(Failed);
            continue;
        }
        // The walk goes into a folder the mount made, to find mod entries not placed in it.
        if (entry.kind != PlacedKind::Folder)
            mount.passBy(path);
        const EntryPlacer::SourceEntry source =
            EntryPlacer::sourceAt(PlacedLink::modEntry(path, gameFolder, modFolder, modNames));
        if (source.kind == Kind::None) {
            // Gone from the mod: it goes as a fresh mount would leave its place.
            if (entry.kind == PlacedKind::Folder)
                goneFolders.push_back(&entry);
            else if (entry.kind == PlacedKind::HardLink)
                counts.add(drop(entry, PlacedLink::isRecordedFile(entry, path), path) ? Done
                                                                                      : Failed);
            else
                counts.add(drop(entry, PlacedLink::leadsTo(path, source.path), path) ? Done
                                                                                     : Failed);
            continue;
        }
        if (PlacedLink::standsFor(entry.kind, path, source.path)) {
            counts.add(Done);
            continue;
        }
        // Missing, or taken by another entry (a game update): whatever stands there is set
        // aside first, kept and on record, and the entry placed again.
        placeAgain(entry, source, path, counts);
    }
    for (auto folder = goneFolders.rbegin(); folder != goneFolders.rend(); ++folder) {
        const QString path = fromUtf8((*folder)->path);
        counts.add(drop(**folder, kindOf(path) == Kind::Folder, path) ? Done : Failed);
    }
    if (!dropFromRecords())
        counts.add(Failed);
    return counts;
}

void MountRepair::placeAgain(const MountRecords::Placed &entry,
                             const EntryPlacer::SourceEntry &source, const QString &path,
                             OutcomeCounts &counts)
{
    const Kind standing = kindOf(path);
    FileOutcome placed = Failed;
    if (placer.linkMode() == TransferMode::HardLink && source.kind == Kind::Folder) {
        placed = placer.makeFolder(source, path, standing);
    } else {
        // A symbolic link's line says all there is; any other kind of line is said anew.
        const bool onRecord = entry.kind == PlacedKind::SymbolicLink;
        placed = placer.placeKnown(source, path, standing,
                                   onRecord ? EntryPlacer::LinkLine::OnRecord
                                            : EntryPlacer::LinkLine::Write);
    }
    counts.add(placed);
    if (placed != Done || standing == Kind::None)
        return;
    // The user learns where the game's entry went: the unmount puts it back.
    report(QStringLiteral("Set aside the game's newer entry: ") + path +
               QStringLiteral(" (it stays as ") + placer.lastSetAside() + QLatin1Char(')'),
           true);
    counts.add(Kept);
}

bool MountRepair::drop(const MountRecords::Placed &entry, bool ours, const QString &path)
{
    if (ours) {
        FileOutcome removed = Failed;
        switch (entry.kind) {
        case PlacedKind::SymbolicLink:
            removed = removal.removeKnown(path, Kind::Link);
            break;
        case PlacedKind::HardLink:
            removed = removal.removeHardLink(path);
            break;
        case PlacedKind::Folder:
            removed = removal.removeMadeFolder(path);
            break;
        }
        if (removed != Done)
            return false;
    }
    droppedEntries.insert(entry.path);
    const QString backup = setAsideFrom.value(path);
    if (!backup.isEmpty() && restoreSetAside(path, backup))
        droppedBackups.insert(toUtf8(backup));
    return true;
}

bool MountRepair::restoreSetAside(const QString &path, const QString &backupPath)
{
    if (kindOf(path) != Kind::None || kindOf(backupPath) == Kind::None)
        return false;
    return placer.placeByTrying(EntryPlacer::sourceAt(backupPath), path, TransferMode::Move) ==
           Done;
}

bool MountRepair::dropFromRecords()
{
    // Lines this run added come after the ones read at its start: read the records again.
    bool written = true;
    if (!droppedEntries.empty()) {
        std::vector<MountRecords::Placed> kept;
        for (MountRecords::Placed &entry : records.readPlaced().entries)
            if (droppedEntries.count(entry.path) == 0)
                kept.push_back(std::move(entry));
        if (!records.keepOnlyPlaced(kept)) {
            report(records.writeFailure(MountRecords::Record::Placed), true);
            written = false;
        }
    }
    if (!droppedBackups.empty()) {
        std::vector<std::string> kept;
        for (std::string &line : records.readBackups().paths)
            if (droppedBackups.count(line) == 0)
                kept.push_back(std::move(line));
        if (!records.keepOnlyBackups(kept)) {
            report(records.writeFailure(MountRecords::Record::Backups), true);
            written = false;
        }
    }
    return written;
}
