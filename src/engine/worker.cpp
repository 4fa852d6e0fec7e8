#include "worker.h"

#include "backupname.h"
#include "configstore.h"
#include "entrycalls.h"
#include "fileentry.h"
#include "gamenames.h"
#include "linereader.h"
#include "mountcheck.h"
#include "pathnames.h"
#include "recordedpathcheck.h"
#include "scantext.h"
#include "symboliclink.h"
#include "utf8.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace
{

const QDir::Filters allEntries = QDir::AllEntries | QDir::NoDotAndDotDot;
const QDir::Filters filesOnly = QDir::Files | QDir::NoDotAndDotDot;

using FileEntry::isLink;
using FileEntry::Kind;
using FileEntry::kindOf;
using FileEntry::nativePath;
using PathNames::samePath;

// Renames a file, a folder or a link itself (also a link whose target is gone), and never
// replaces an entry at `to`.
bool renameEntry(const QString &from, const QString &to)
{
    return !from.isEmpty() && !to.isEmpty() &&
           EntryCalls::renameWithoutReplacing(nativePath(from), nativePath(to)) ==
               EntryCalls::Rename::Done;
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QString verbFor(TransferMode mode)
{
    switch (mode) {
    case Move:
        return QStringLiteral("move");
    case Copy:
        return QStringLiteral("copy");
    case Link:
        return QStringLiteral("create symbolic link to");
    }
    return QStringLiteral("process");
}

QString relativeTo(const QString &path, const QString &rootWithSlash)
{
    // Only the leading root goes: a path may hold the same text again further down.
    return path.startsWith(rootWithSlash) ? path.mid(rootWithSlash.size()) : path;
}

QSet<QString> asPaths(const std::vector<std::string> &lines)
{
    QSet<QString> paths;
    paths.reserve(int(lines.size()));
    for (const std::string &line : lines)
        paths.insert(fromUtf8(line));
    return paths;
}

// How many lines the unmount notes in its journal with one write.
const size_t journalBatch = 64;

void keepLine(QByteArray &kept, const std::string &line)
{
    kept.append(line.data(), int(line.size()));
    kept.append('\n');
}

} // namespace

Worker::Worker(ConfigStore *config, QString mod)
    : modName(std::move(mod)),
      gamePath(PathNames::absoluteFolder(fromUtf8(config->get(ConfigKey::gamePath)))),
      modsPath(fromUtf8(config->modsPath)), outFilesPath(fromUtf8(config->outFilesPath)),
      backupFilesPath(fromUtf8(config->backupFilesPath)),
      unmountProgressPath(fromUtf8(config->unmountProgressPath)), outFilesStream(outFilesPath),
      backupFilesStream(backupFilesPath)
{
}

Worker::~Worker()
{
    outFilesStream.close();
    backupFilesStream.close();
}

QString Worker::modFolder() const
{
    return modsPath + QLatin1Char('/') + modName;
}

// ---------------------------------------------------------------------------------------------
// Mount

void Worker::mountModWorker()
{
    const OutcomeCounts counts = mountFolder(modFolder(), gamePath);
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
            emit status(failedText(sourcePath, Link), true);
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
                const FileOutcome outcome =
                    placeKnown(sourceFrom(listing.fileInfo()), target, targetKind, Link, recorded)
                        .outcome;
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
    if (source.kind == Kind::Link || source.kind == Kind::File || (mode == Link && source.isFolder))
        return true;
    if (!source.path.isEmpty() && source.kind == Kind::None)
        emit status(QStringLiteral("Missing file: ") + source.path, true);
    else
        emit status(failedText(source.path, mode), true);
    return false;
}

PlaceResult Worker::refused(const SourceEntry &source)
{
    return {source.kind == Kind::None && !source.path.isEmpty() ? Missing : Failed, std::string()};
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

PlaceResult Worker::placeKnown(const SourceEntry &source, const QString &target, Kind targetKind,
                               TransferMode mode, const Placement &how)
{
    if (!checkPlaceable(source, mode))
        return refused(source);
    QString backupPath;
    if (targetKind != Kind::None) {
        if (!setAside(target, source.path, how, &backupPath))
            return {Failed, std::string()};
    } else if (!how.record) {
        // A mount needs no folder made: its targets lie in the game folder or in a folder of
        // the game that the walk descended into.
        QDir().mkpath(folderOf(target));
    }

    const bool writesLine = how.record && !how.lineOnRecord;
    if (writesLine && !outFilesStream.append(target.toUtf8())) {
        reportUnrecordable(outFilesStream, source.path);
        const bool restored = undoBackup(backupPath, target, how.record);
        return {Failed, restored ? std::string() : toUtf8(backupPath)};
    }
    const Transfer attempt = transfer(source, target, mode);
    if (attempt == Transfer::Done)
        return {Done, toUtf8(backupPath)};
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
    const bool restored = undoBackup(backupPath, target, how.record);
    return {Failed, restored ? std::string() : toUtf8(backupPath)};
}

PlaceResult Worker::placeByTrying(const SourceEntry &source, const QString &target,
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
            return {Failed, std::string()};
        attempt = transfer(source, target, mode);
    }
    if (attempt == Transfer::Done)
        return {Done, toUtf8(backupPath)};
    emit status(failedText(source.path, mode), true);
    const bool restored = undoBackup(backupPath, target, false);
    return {Failed, restored ? std::string() : toUtf8(backupPath)};
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
    case Copy:
        return copyEntry(source.path, target);
    case Link:
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
    case Move:
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

bool Worker::undoBackup(const QString &backupPath, const QString &target, bool recorded)
{
    if (backupPath.isEmpty())
        return true;
    if (!renameEntry(backupPath, target))
        return false; // it stays set aside, and on record, to be restored by the unmount
    if (recorded)
        backupFilesStream.takeBack();
    return true;
}

void Worker::checkModWorker()
{
    MountCheck check(
        gamePath, modFolder(),
        [this](const QString &text, bool error) { emit status(text, error); }, aborted);
    const OutcomeCounts counts = check.run(outFilesPath, backupFilesPath);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

// ---------------------------------------------------------------------------------------------
// Unmount

void Worker::unmountModWorker(bool force)
{
    OutcomeCounts counts;
    if (!aborted) {
        RecordedPathCheck check(gamePath);
        UnmountJournal journal(unmountProgressPath);
        Pass pass{force, check, journal, true, {}};
        // Read once each: the first pass also needs to know the backups on record.
        const Record placed = readRecord(outFilesPath);
        const Record backups = readRecord(backupFilesPath);
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
            const FileOutcome outcome = placeByTrying(backup, target, Move, Placement()).outcome;
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
        if (samePath(path, stopFolder) || samePath(path, modsPath) || samePath(path, gamePath) ||
            (stopFolder.isEmpty() && samePath(parent, modsPath)) || parent == path)
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

// ---------------------------------------------------------------------------------------------
// Scan, delete, add

void Worker::scanModWorker(int row)
{
    QDirIterator listing(modFolder(), filesOnly, QDirIterator::Subdirectories);
    if (!listing.hasNext()) {
        emit scanModUpdate(row, ScanText::noSize(), ScanText::noFiles());
        return;
    }
    qint64 counter = 1;
    double total = 0;
    double shownMegabytes = -1;
    QString sizeText;
    // A scan nobody waits for any more (the list was rebuilt) stops early.
    while (listing.hasNext() && !aborted) {
        listing.next();
        total += double(listing.fileInfo().size());
        const double megabytes = std::round(total * 0.0009765625 * 0.0009765625 * 100) / 100;
        if (megabytes != shownMegabytes) { // most files do not change the rounded size
            shownMegabytes = megabytes;
            sizeText = ScanText::size(megabytes);
        }
        emit scanModUpdate(row, sizeText, ScanText::files(counter));
        ++counter;
    }
}

void Worker::deleteModWorker()
{
    OutcomeCounts counts;
    const QString folder = modFolder();
    if (!PathNames::isPlainFolderName(modName)) {
        // Never let an odd name turn "this mod" into the mods folder or something above it.
        emit status(QStringLiteral("Failed to delete file: ") + folder, true);
        counts.add(Failed);
        emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
        return;
    }
    // System entries too: a link whose target is gone is listed only with them.
    const qint64 total = bytesBelow(folder, allEntries | QDir::System);
    qint64 done = 0;
    QDirIterator listing(folder, allEntries | QDir::System, QDirIterator::Subdirectories);
    QStringList folders;
    while (!aborted && listing.hasNext()) {
        const QString path = listing.next();
        emit status(path, false);
        const SourceEntry entry = sourceFrom(listing.fileInfo());
        if (entry.kind == Kind::Folder) {
            folders << path;
            continue;
        }
        // Looked at before it goes: the listing's information is fetched when first asked for.
        const qint64 size = entry.kind == Kind::File ? listing.fileInfo().size() : 0;
        counts.add(removeKnown(path, entry.kind));
        done += size;
        emit amountDone(counts.done, done, total);
    }
    // Every folder was listed: each is removed once, inside ones first, and none is looked
    // at again from below.
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &path : qAsConst(folders))
        if (!aborted)
            removeFolder(path);
    // The mod's own folder is taken last, here, so that one left behind is reported once.
    if (EntryCalls::removeFolder(nativePath(folder)) != EntryCalls::RemoveFolder::Done &&
        kindOf(folder) != Kind::None && !aborted) {
        // Something the listing does not show (a hidden entry) keeps it: not deleted.
        emit status(QStringLiteral("Failed to delete empty folder: ") + folder, true);
        counts.add(Failed);
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

void Worker::moveFolderWorker(const QString &source, const QString &target, int mode)
{
    OutcomeCounts counts;
    const QString from = QDir::cleanPath(source);
    // Pruning after each move may take the chosen folder once it is empty, never its parents.
    const QString stopFolder = QFileInfo(PathNames::absoluteClean(from)).absolutePath();
    // Emptied folders are pruned once at the end, not after every file.
    const Placement how;
    const QString root = from.endsWith(QLatin1Char('/')) ? from : from + QLatin1Char('/');
    const qint64 total = bytesBelow(from, filesOnly);
    qint64 done = 0;
    QDirIterator listing(from, filesOnly, QDirIterator::Subdirectories);
    QSet<QString> emptied;
    while (!aborted && listing.hasNext()) {
        const QString sourcePath = listing.next();
        const QString relative = relativeTo(sourcePath, root);
        emit status(relative, false);
        const QString destination = target + QLatin1Char('/') + relative;
        const SourceEntry entry = sourceFrom(listing.fileInfo());
        const qint64 size = listing.fileInfo().size(); // before a move takes it away
        const FileOutcome outcome =
            (mode == Copy || mode == Move)
                ? placeByTrying(entry, destination, TransferMode(mode), how).outcome
                : placeKnown(entry, destination, kindOf(destination), TransferMode(mode), how)
                      .outcome;
        counts.add(outcome);
        if (outcome == Done && mode == Move)
            emptied.insert(listing.fileInfo().absolutePath());
        done += size;
        emit amountDone(counts.done, done, total);
    }
    pruneFolders(emptied, stopFolder);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

qint64 Worker::bytesBelow(const QString &folder, QDir::Filters filters)
{
    qint64 bytes = 0;
    QDirIterator walk(folder, filters, QDirIterator::Subdirectories);
    while (!aborted && walk.hasNext()) {
        walk.next();
        if (walk.fileInfo().isFile() && !walk.fileInfo().isSymLink())
            bytes += walk.fileInfo().size();
    }
    return bytes;
}

void Worker::pruneFolders(const QSet<QString> &folders, const QString &stopFolder)
{
    // Deepest first, so that a folder's subfolders are gone before it is looked at. Pruning
    // once at the end instead of after every entry saves listing a folder per file.
    QStringList ordered;
    for (const QString &folder : folders)
        ordered << folder;
    std::sort(ordered.begin(), ordered.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &folder : ordered)
        deleteEmptyFolders(folder, stopFolder); // one taken with a subfolder is simply gone
}
