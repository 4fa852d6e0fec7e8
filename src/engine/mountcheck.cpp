#include "mountcheck.h"

#include "fileentry.h"
#include "mountrecords.h"
#include "placedlink.h"
#include "recordedpathcheck.h"
#include "utf8.h"

#include <QFileInfo>

#include <utility>

using FileEntry::Kind;
using FileEntry::kindOf;

MountCheck::MountCheck(QString game, QString mod, const OwnFolders &ownFolders,
                       WorkerParts::Report reportTo, const std::atomic<bool> &abortFlag)
    : gameFolder(std::move(game)), modFolder(std::move(mod)), own(ownFolders),
      report(std::move(reportTo)), aborted(abortFlag), walk(modFolder, names, own, *this, abortFlag)
{
}

OutcomeCounts MountCheck::run(const MountRecords &records)
{
    OutcomeCounts counts;
    RecordedPathCheck trusted(gameFolder, own);
    for (const MountRecords::Placed &entry : records.readPlaced().entries) {
        if (aborted)
            break;
        // The walk goes into a folder the mount made, to find mod files not placed in it.
        if (entry.kind != MountRecords::PlacedKind::Folder)
            walk.passBy(fromUtf8(entry.path));
        counts.add(checkPlaced(trusted, entry));
    }
    const MountRecords::Lines backups = records.readBackups();
    for (const std::string &line : backups.paths) {
        if (aborted)
            break;
        counts.add(checkBackup(trusted, fromUtf8(line)));
    }
    if (!aborted)
        counts += walk.walk(modFolder, gameFolder);
    return counts;
}

FileOutcome MountCheck::checkPlaced(RecordedPathCheck &trusted, const MountRecords::Placed &entry)
{
    const QString path = fromUtf8(entry.path);
    report(path, false);
    if (!trusted.accepts(path)) {
        report(WorkerParts::untrustedText(path), true);
        return Failed;
    }
    const Kind kind = kindOf(path);
    if (kind == Kind::None) {
        const bool folder = entry.kind == MountRecords::PlacedKind::Folder;
        report((folder ? QStringLiteral("Missing folder: ") : QStringLiteral("Missing file: ")) +
                   path,
               true);
        return Missing;
    }
    const QString modEntry = PlacedLink::modEntry(path, gameFolder, modFolder, modNames);
    // A link to the mod's entry stays one when the entry goes; a hard link of it cannot be told.
    const bool modHasIt = kindOf(modEntry) != Kind::None;
    if ((modHasIt || entry.kind == MountRecords::PlacedKind::SymbolicLink) &&
        !PlacedLink::standsFor(entry.kind, path, modEntry)) {
        report(QStringLiteral("Replaced by another entry: ") + path, true);
        return Failed;
    }
    if (!modHasIt) {
        // Where the user can look for it: the mod's path, not the link's.
        report(QStringLiteral("Missing from the mod: ") + modEntry, true);
        return Failed;
    }
    return Done;
}

FileOutcome MountCheck::checkBackup(RecordedPathCheck &trusted, const QString &path)
{
    report(QFileInfo(path).fileName(), false);
    if (!trusted.accepts(path)) {
        report(WorkerParts::untrustedText(path), true);
        return Failed;
    }
    if (kindOf(path) != Kind::None)
        return Done;
    report(QStringLiteral("Missing file: ") + path, true);
    return Missing;
}

FileOutcome MountCheck::place(const ModWalk::Entry &entry, FileEntry::Kind)
{
    report(QStringLiteral("Not mounted: ") + entry.source.filePath(), true);
    return Failed;
}

void MountCheck::refuse(const ModWalk::Entry &entry, ModWalk::Refusal)
{
    // A mount would not have placed it either, so it is not mounted.
    report(QStringLiteral("Not mounted: ") + entry.source.filePath(), true);
}
