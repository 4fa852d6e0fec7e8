#include "worker.h"

#include "backupname.h"
#include "entrycalls.h"
#include "fileentry.h"
#include "pathnames.h"
#include "symboliclink.h"
#include "utf8.h"
#include "workerparts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
    }
    return QStringLiteral("process");
}

} // namespace

Worker::Worker(const WorkerPaths &workerPaths, QString mod)
    : paths(workerPaths), modName(std::move(mod)), outFilesStream(paths.outFiles),
      backupFilesStream(paths.backupFiles)
{
}

Worker::~Worker()
{
    outFilesStream.close();
    backupFilesStream.close();
}

QString Worker::modFolder() const
{
    return paths.mods + QLatin1Char('/') + modName;
}

// ---------------------------------------------------------------------------------------------
// Mount

void Worker::mountModWorker()
{
    const OutcomeCounts counts = mountFolder(modFolder(), paths.game);
    outFilesStream.close();
    backupFilesStream.close();
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

OutcomeCounts Worker::mountFolder(const QString &folder, const QString &gameFolder)
{
    OutcomeCounts counts;
    QDirIterator listing(folder, allEntries);
    if (aborted || !listing.hasNext())
        return counts;
    const QString modRoot = modFolder() + QLatin1Char('/');
    while (listing.hasNext()) {
        const QString sourcePath = listing.next();
        const QString relative = relativeTo(sourcePath, modRoot);
        // The game's own spelling: the game matches names regardless of case.
        const QString targetName = gameNames.spelling(gameFolder, listing.fileName());
        const QString target = gameFolder + QLatin1Char('/') + targetName;
        const QString targetKey = target.toCaseFolded();
        if (!alreadyPlaced.isEmpty() && alreadyPlaced.contains(targetKey))
            continue;
        emit status(relative, false);
        if (!PathNames::fitsOnOneLine(target)) {
            // A record holds one path per line: it could not be put on record, so it is not
            // placed at all.
            emit status(failedText(sourcePath, TransferMode::Link), true);
            counts.add(Failed);
        } else if (placedNow.contains(targetKey)) {
            // Two entries of the mod that differ only in case: the game sees one name.
            emit status(QStringLiteral("Another entry of the mod has the same name: ") + sourcePath,
                        true);
            counts.add(Failed);
        } else {
            const Kind targetKind = kindOf(target);
            if (targetKind == Kind::Folder) {
                // The game has a real folder here: link the mod's entries one by one inside it.
                counts += mountFolder(sourcePath, target);
            } else if (linksRefused) {
                counts.add(Failed);
            } else {
                Placement recorded;
                recorded.record = true;
                const FileOutcome outcome = placeKnown(sourceFrom(listing.fileInfo()), target,
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

Worker::SourceEntry Worker::sourceFrom(const QFileInfo &info)
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

Worker::SourceEntry Worker::sourceAt(const QString &path)
{
    SourceEntry entry{path, kindOf(path), false};
    entry.isFolder =
        entry.kind == Kind::Folder || (entry.kind == Kind::Link && QFileInfo(path).isDir());
    return entry;
}

bool Worker::checkPlaceable(const SourceEntry &source, TransferMode mode)
{
    if (source.kind == Kind::Link || source.kind == Kind::File ||
        (mode == TransferMode::Link && source.isFolder))
        return true;
    if (!source.path.isEmpty() && source.kind == Kind::None)
        emit status(QStringLiteral("Missing file: ") + source.path, true);
    else
        emit status(failedText(source.path, mode), true);
    return false;
}

FileOutcome Worker::refused(const SourceEntry &source)
{
    return source.kind == Kind::None && !source.path.isEmpty() ? Missing : Failed;
}

QString Worker::failedText(const QString &source, TransferMode mode)
{
    return QStringLiteral("Failed to ") + verbFor(mode) + QStringLiteral(" file: ") + source;
}

bool Worker::setAside(const QString &target, const QString &source, const Placement &how,
                      QString *backupPath)
{
    // Every change of the game folder is on record before it is made, so that it can be undone
    // even if this process dies right after making it.
    const QString candidate =
        BackupName::forTarget(target, [this](const QString &folder, const QString &name) {
            return gameNames.taken(folder, name);
        });
    if (how.record && !backupFilesStream.append(candidate.toUtf8())) {
        reportUnrecordable(backupFilesStream, source);
        return false;
    }
    if (!renameEntry(target, candidate)) {
        if (how.record)
            backupFilesStream.takeBack();
        emit status(QStringLiteral("Failed to create backup of ") + target +
                        QStringLiteral("\n-->Skipping file: ") + source,
                    true);
        return false;
    }
    const int slash = candidate.lastIndexOf(QLatin1Char('/'));
    gameNames.add(candidate.left(slash), candidate.mid(slash + 1));
    *backupPath = candidate;
    return true;
}

FileOutcome Worker::placeKnown(const SourceEntry &source, const QString &target, Kind targetKind,
                               TransferMode mode, const Placement &how)
{
    if (!checkPlaceable(source, mode))
        return refused(source);
    QString backupPath;
    if (targetKind != Kind::None) {
        if (!setAside(target, source.path, how, &backupPath))
            return Failed;
    } else if (!how.record) {
        // A mount needs no folder made: its targets lie in the game folder or in a folder of
        // the game that the walk descended into.
        QDir().mkpath(folderOf(target));
    }

    const bool writesLine = how.record && !how.lineOnRecord;
    if (writesLine && !outFilesStream.append(target.toUtf8())) {
        reportUnrecordable(outFilesStream, source.path);
        undoBackup(backupPath, target, how.record);
        return Failed;
    }
    const Transfer attempt = transfer(source, target, mode);
    if (attempt == Transfer::Done)
        return Done;
    if (writesLine)
        outFilesStream.takeBack();
    if (attempt == Transfer::Refused) {
        // Said once; the mount tries no further link.
        linksRefused = true;
        emit status(QString::fromUtf8(SymbolicLink::refusalText()), true);
    } else {
        emit status(failedText(source.path, mode), true);
    }
    // Nothing took the backed-up entry's place, so it goes straight back under its own name.
    undoBackup(backupPath, target, how.record);
    return Failed;
}

FileOutcome Worker::placeByTrying(const SourceEntry &source, const QString &target,
                                  TransferMode mode, const Placement &how)
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
        if (!setAside(target, source.path, how, &backupPath))
            return Failed;
        attempt = transfer(source, target, mode);
    }
    if (attempt == Transfer::Done)
        return Done;
    emit status(failedText(source.path, mode), true);
    undoBackup(backupPath, target, false);
    return Failed;
}

void Worker::reportUnrecordable(const RecordFile &record, const QString &source)
{
    emit status(QStringLiteral("Failed to write record file: ") + record.path() +
                    QStringLiteral("\n-->Skipping file: ") + source,
                true);
}

Worker::Transfer Worker::transfer(const SourceEntry &source, const QString &target,
                                  TransferMode mode)
{
    switch (mode) {
    case TransferMode::Copy:
        return copyEntry(source.path, target);
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

Worker::Transfer Worker::copyEntry(const QString &source, const QString &target)
{
    // Not QFile::copy: it syncs every file to disk, which makes adding a large mod crawl.
    switch (EntryCalls::copyFile(nativePath(source), nativePath(target))) {
    case EntryCalls::Copy::Done:
        return Transfer::Done;
    case EntryCalls::Copy::TargetTaken:
        return Transfer::TargetTaken;
    case EntryCalls::Copy::FolderMissing:
        return Transfer::FolderMissing;
    case EntryCalls::Copy::Failed:
        break;
    }
    return Transfer::Failed;
}

Worker::Transfer Worker::moveEntry(const SourceEntry &source, const QString &target)
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
    // Another drive: QFile copies the file and removes the original; it never replaces.
    if (kindOf(target) != Kind::None)
        return Transfer::TargetTaken;
    if (kindOf(folderOf(target)) == Kind::None)
        return Transfer::FolderMissing;
    return source.kind == Kind::File && QFile::rename(source.path, target) ? Transfer::Done
                                                                           : Transfer::Failed;
}

void Worker::undoBackup(const QString &backupPath, const QString &target, bool recorded)
{
    // One that cannot go back stays set aside, and on record, to be restored by the unmount.
    if (!backupPath.isEmpty() && renameEntry(backupPath, target) && recorded)
        backupFilesStream.takeBack();
}
