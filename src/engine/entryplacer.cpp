#include "entryplacer.h"

#include "backupname.h"
#include "entrycalls.h"
#include "hardlink.h"
#include "symboliclink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace
{

using namespace WorkerParts;
using FileEntry::isLink;
using FileEntry::Kind;
using FileEntry::kindOf;
using FileEntry::nativePath;

QString verbFor(TransferMode mode)
{
    switch (mode) {
    case TransferMode::Move:
        return QStringLiteral("move");
    case TransferMode::Copy:
        return QStringLiteral("copy");
    case TransferMode::Link:
        return QStringLiteral("create symbolic link to");
    case TransferMode::HardLink:
        return QStringLiteral("create hard link to");
    }
    return QStringLiteral("process");
}

} // namespace

EntryPlacer::EntryPlacer(Report reportTo, const std::atomic<bool> &abortFlag,
                         MountRecords *mountRecords, MountWay way)
    : report(std::move(reportTo)), aborted(abortFlag), records(mountRecords),
      linking(way == MountWay::HardLinks ? TransferMode::HardLink : TransferMode::Link)
{
}

EntryPlacer::SourceEntry EntryPlacer::sourceFrom(const QFileInfo &info)
{
    // A listing's entries know their kind already; only a link to a folder needs a look.
    SourceEntry entry{info.filePath(), Kind::None, false};
    if (isLink(info))
        entry.kind = Kind::Link;
    else if (info.isDir())
        entry.kind = Kind::Folder;
    else if (info.isFile())
        entry.kind = Kind::File;
    else if (info.exists())
        entry.kind = Kind::Other;
    entry.isFolder = entry.kind == Kind::Folder || (entry.kind == Kind::Link && info.isDir());
    return entry;
}

EntryPlacer::SourceEntry EntryPlacer::sourceAt(const QString &path)
{
    SourceEntry entry{path, kindOf(path), false};
    entry.isFolder =
        entry.kind == Kind::Folder || (entry.kind == Kind::Link && QFileInfo(path).isDir());
    return entry;
}

QString EntryPlacer::unplaceableText(const SourceEntry &source, TransferMode mode)
{
    // A hard link is a second name of one file: a link of the mod has none to give.
    if (source.kind == Kind::File ||
        (source.kind == Kind::Link && mode != TransferMode::HardLink) ||
        (mode == TransferMode::Link && source.isFolder))
        return QString();
    if (!source.path.isEmpty() && source.kind == Kind::None)
        return QStringLiteral("Missing file: ") + source.path;
    return failedText(source.path, mode);
}

bool EntryPlacer::checkPlaceable(const SourceEntry &source, TransferMode mode)
{
    const QString why = unplaceableText(source, mode);
    if (why.isEmpty())
        return true;
    report(why, true);
    return false;
}

FileOutcome EntryPlacer::refused(const SourceEntry &source)
{
    return source.kind == Kind::None && !source.path.isEmpty() ? Missing : Failed;
}

QString EntryPlacer::failedText(const QString &source, TransferMode mode)
{
    return QStringLiteral("Failed to ") + verbFor(mode) + QStringLiteral(" file: ") + source;
}

bool EntryPlacer::setAside(const QString &target, const QString &source, bool recorded,
                           QString *backupPath)
{
    // Every change of the game folder is on record before it is made, so that it can be undone
    // even if this process dies right after making it.
    const QString candidate =
        BackupName::forTarget(target, [this](const QString &folder, const QString &name) {
            return names.taken(folder, name);
        });
    if (recorded && !records->appendBackup(candidate)) {
        reportUnrecordable(MountRecords::Record::Backups, source);
        return false;
    }
    if (!renameEntry(target, candidate)) {
        if (recorded)
            records->takeBack(MountRecords::Record::Backups);
        report(QStringLiteral("Failed to create backup of ") + target +
                   QStringLiteral("\n-->Skipping file: ") + source,
               true);
        return false;
    }
    const int slash = candidate.lastIndexOf(QLatin1Char('/'));
    names.add(candidate.left(slash), candidate.mid(slash + 1));
    *backupPath = candidate;
    lastBackup = candidate;
    return true;
}

bool EntryPlacer::recordPlaced(MountRecords::PlacedKind kind, const QString &target,
                               const QString &source, const QString &backupPath)
{
    if (records->appendPlaced(kind, target))
        return true;
    reportUnrecordable(MountRecords::Record::Placed, source);
    undoBackup(backupPath, target, true);
    return false;
}

FileOutcome EntryPlacer::placeKnown(const SourceEntry &source, const QString &target,
                                    Kind targetKind, LinkLine line)
{
    Q_ASSERT(records);
    const TransferMode mode = linking;
    if (!checkPlaceable(source, mode))
        return refused(source);
    // No folder is made here: the targets lie in the game folder or in a folder of the game
    // that the walk descended into.
    QString backupPath;
    if (targetKind != Kind::None && !setAside(target, source.path, true, &backupPath))
        return Failed;

    const bool hardLink = mode == TransferMode::HardLink;
    // A hard link placed again has a new identity, unknown until it is made.
    const bool writesLine = line == LinkLine::Write || hardLink;
    const auto kind =
        hardLink ? MountRecords::PlacedKind::HardLink : MountRecords::PlacedKind::SymbolicLink;
    if (writesLine && !recordPlaced(kind, target, source.path, backupPath))
        return Failed;
    const Transfer attempt = transfer(source, target, mode);
    if (attempt == Transfer::Done) {
        // Without it the unmount still knows the link, by comparing it with the mod's file.
        if (hardLink)
            records->appendIdentity(target, HardLink::identityOf(nativePath(target)));
        return Done;
    }
    if (writesLine)
        records->takeBack(MountRecords::Record::Placed);
    if (attempt == Transfer::Refused) {
        // Said once; the mount tries no further link.
        refusedLinks = true;
        report(QString::fromUtf8(SymbolicLink::refusalText()), true);
    } else {
        report(failedText(source.path, mode), true);
    }
    // Nothing took the backed-up entry's place, so it goes straight back under its own name.
    undoBackup(backupPath, target, true);
    return Failed;
}

FileOutcome EntryPlacer::makeFolder(const SourceEntry &source, const QString &target,
                                    Kind targetKind)
{
    Q_ASSERT(records);
    QString backupPath;
    if (targetKind != Kind::None && !setAside(target, source.path, true, &backupPath))
        return Failed;
    if (!recordPlaced(MountRecords::PlacedKind::Folder, target, source.path, backupPath))
        return Failed;
    if (EntryCalls::makeFolder(nativePath(target)) == EntryCalls::MakeFolder::Done)
        return Done;
    records->takeBack(MountRecords::Record::Placed);
    report(QStringLiteral("Failed to create folder: ") + target, true);
    undoBackup(backupPath, target, true);
    return Failed;
}

FileOutcome EntryPlacer::placeByTrying(const SourceEntry &source, const QString &target,
                                       TransferMode mode)
{
    if (!checkPlaceable(source, mode))
        return refused(source);
    // The target is nearly always free and its folder there: look only when the attempt says
    // otherwise, and make a folder only when it is missing.
    Transfer attempt = transfer(source, target, mode);
    if (attempt == Transfer::FolderMissing) {
        QDir().mkpath(folderOf(target));
        attempt = transfer(source, target, mode);
    }
    QString backupPath;
    if (attempt == Transfer::TargetTaken) {
        if (!setAside(target, source.path, false, &backupPath))
            return Failed;
        attempt = transfer(source, target, mode);
    }
    if (attempt == Transfer::Done)
        return Done;
    // An abort is told by the operation's result, not as a failure of this entry.
    if (attempt != Transfer::Aborted)
        report(failedText(source.path, mode), true);
    undoBackup(backupPath, target, false);
    return Failed;
}

void EntryPlacer::reportUnrecordable(MountRecords::Record record, const QString &source)
{
    report(records->writeFailure(record) + QStringLiteral("\n-->Skipping file: ") + source, true);
}

EntryPlacer::Transfer EntryPlacer::transfer(const SourceEntry &source, const QString &target,
                                            TransferMode mode)
{
    switch (mode) {
    case TransferMode::Copy:
        return copyEntry(source.path, target);
    case TransferMode::HardLink:
        switch (HardLink::create(nativePath(target), nativePath(source.path))) {
        case HardLink::Creation::Created:
            return Transfer::Done;
        case HardLink::Creation::TargetTaken:
            return Transfer::TargetTaken;
        case HardLink::Creation::OtherDevice:
        case HardLink::Creation::NotSupported:
        case HardLink::Creation::Failed:
            break;
        }
        return Transfer::Failed;
    case TransferMode::Link:
        switch (
            SymbolicLink::create(nativePath(target), nativePath(source.path), source.isFolder)) {
        case SymbolicLink::Creation::Created:
            return Transfer::Done;
        case SymbolicLink::Creation::Refused:
            return Transfer::Refused;
        case SymbolicLink::Creation::Failed:
            break;
        }
        return Transfer::Failed;
    case TransferMode::Move:
        return moveEntry(source, target);
    }
    return Transfer::Failed;
}

EntryPlacer::Transfer EntryPlacer::copyEntry(const QString &source, const QString &target)
{
    // Not QFile::copy: it syncs every file to disk, which makes adding a large mod crawl, and
    // it cannot be stopped inside a large file.
    switch (EntryCalls::copyFile(nativePath(source), nativePath(target), aborted)) {
    case EntryCalls::Copy::Done:
        return Transfer::Done;
    case EntryCalls::Copy::TargetTaken:
        return Transfer::TargetTaken;
    case EntryCalls::Copy::FolderMissing:
        return Transfer::FolderMissing;
    case EntryCalls::Copy::Aborted:
        return Transfer::Aborted;
    case EntryCalls::Copy::Failed:
        break;
    }
    return Transfer::Failed;
}

EntryPlacer::Transfer EntryPlacer::moveEntry(const SourceEntry &source, const QString &target)
{
    switch (EntryCalls::renameWithoutReplacing(nativePath(source.path), nativePath(target))) {
    case EntryCalls::Rename::Done:
        return Transfer::Done;
    case EntryCalls::Rename::TargetTaken:
        return Transfer::TargetTaken;
    case EntryCalls::Rename::NotFound:
        return kindOf(folderOf(target)) == Kind::None ? Transfer::FolderMissing : Transfer::Failed;
    case EntryCalls::Rename::OtherDevice:
        break;
    case EntryCalls::Rename::Failed:
        return Transfer::Failed;
    }
    // Another drive: a copy, which never replaces and can be stopped, then the original goes.
    if (source.kind != Kind::File)
        return Transfer::Failed;
    const Transfer copied = copyEntry(source.path, target);
    if (copied != Transfer::Done || QFile::remove(source.path))
        return copied;
    QFile::remove(target);
    return Transfer::Failed;
}

void EntryPlacer::undoBackup(const QString &backupPath, const QString &target, bool recorded)
{
    // One that cannot go back stays set aside, and on record, to be restored by the unmount.
    if (!backupPath.isEmpty() && renameEntry(backupPath, target) && recorded)
        records->takeBack(MountRecords::Record::Backups);
}
