#include "worker.h"

#include "backupname.h"
#include "configstore.h"
#include "fileentry.h"
#include "linereader.h"
#include "recordedpathcheck.h"
#include "symboliclink.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace
{

const QDir::Filters allEntries = QDir::AllEntries | QDir::NoDotAndDotDot;
const QDir::Filters filesOnly = QDir::Files | QDir::NoDotAndDotDot;

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

std::string toUtf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

SymbolicLink::NativePath nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toStdWString();
#else
    const QByteArray encoded = QFile::encodeName(path);
    return std::string(encoded.constData(), size_t(encoded.size()));
#endif
}

using FileEntry::isLink;
using FileEntry::isTaken;

// Renames a file, a folder or a link itself (also a link whose target is gone), and never
// replaces an entry at `to`.
bool renameEntry(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty() || isTaken(QFileInfo(to)))
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(nativePath(from)),
                            std::filesystem::path(nativePath(to)), error);
    return !error;
}

QString cleanAbsolute(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool samePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    return !a.isEmpty() && !b.isEmpty() &&
           cleanAbsolute(a).compare(cleanAbsolute(b), sensitivity) == 0;
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

// Rewrites a record with the lines that are kept, whole or not at all.
bool rewriteRecord(const QString &path, const QByteArray &keptLines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    if (file.write(keptLines) != keptLines.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A game folder typed as a relative path would make the records depend on the folder the
// program happens to be started from.
QString absoluteFolder(const QString &folder)
{
    return folder.isEmpty() || QDir::isAbsolutePath(folder)
               ? folder
               : QDir::current().absoluteFilePath(folder);
}

// A record holds one path per line.
bool fitsOnOneLine(const QString &path)
{
    return !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

QSet<QString> recordedLines(const QString &recordPath)
{
    QSet<QString> lines;
    LineReader reader(toUtf8(recordPath));
    while (reader.next())
        if (!reader.line.empty())
            lines.insert(fromUtf8(reader.line));
    return lines;
}

// How many lines the unmount notes in its journal with one write.
const size_t journalBatch = 64;

void keepLine(QByteArray &kept, const std::string &line)
{
    kept.append(line.data(), int(line.size()));
    kept.append('\n');
}

} // namespace

Worker::Worker(ConfigStore *config, QString modName)
    : modName(std::move(modName)), gamePath(absoluteFolder(fromUtf8(config->get("GamePath")))),
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
        const QString target = gameFolder + QLatin1Char('/') + relative;
        emit status(relative, false);
        const QFileInfo targetInfo(target);
        if (!fitsOnOneLine(target)) {
            // It could not be put on record, so it is not placed at all.
            emit status(QStringLiteral("Failed to ") + verbFor(Link) + QStringLiteral(" file: ") +
                            sourcePath,
                        true);
            counts.add(Failed);
        } else if (!isLink(targetInfo) && targetInfo.isDir()) {
            // The game has a real folder here: link the mod's entries one by one inside it.
            counts += mountFolder(sourcePath, gameFolder);
        } else {
            Placement recorded;
            recorded.record = true;
            counts.add(place(listing.fileInfo(), targetInfo, Link, recorded).outcome);
        }
        if (aborted)
            break;
    }
    return counts;
}

PlaceResult Worker::placeFile(const QString &source, const QString &target, TransferMode mode)
{
    return place(QFileInfo(source), QFileInfo(target), mode, Placement());
}

PlaceResult Worker::place(const QFileInfo &sourceInfo, const QFileInfo &targetInfo,
                          TransferMode mode, const Placement &how)
{
    const QString source = sourceInfo.filePath();
    const QString target = targetInfo.filePath();
    const bool sourceIsFolder = sourceInfo.isDir();
    const QString failedText =
        QStringLiteral("Failed to ") + verbFor(mode) + QStringLiteral(" file: ") + source;

    if (!(isLink(sourceInfo) || sourceInfo.isFile() || (mode == Link && sourceIsFolder))) {
        if (!source.isEmpty() && !sourceInfo.exists()) {
            emit status(QStringLiteral("Missing file: ") + source, true);
            return {Missing, std::string()};
        }
        emit status(failedText, true);
        return {Failed, std::string()};
    }

    // Every change of the game folder is on record before it is made, so that it can be undone
    // even if this process dies right after making it.
    QString backupPath;
    if (isTaken(targetInfo)) {
        const QString candidate = BackupName::forTarget(target);
        if (how.record && !backupFilesStream.append(candidate.toUtf8())) {
            reportUnrecordable(backupFilesStream, source);
            return {Failed, std::string()};
        }
        if (!renameEntry(target, candidate)) {
            if (how.record)
                backupFilesStream.takeBack();
            emit status(QStringLiteral("Failed to create backup of ") + target +
                            QStringLiteral("\n-->Skipping file: ") + source,
                        true);
            return {Failed, std::string()};
        }
        backupPath = candidate;
    } else if (!how.record) {
        // A mount needs no folder made: its targets lie in the game folder or in a folder of
        // the game that the walk descended into.
        QDir().mkpath(targetInfo.absolutePath());
    }

    if (how.record && !outFilesStream.append(target.toUtf8())) {
        reportUnrecordable(outFilesStream, source);
        const bool restored = undoBackup(backupPath, target, how.record);
        return {Failed, restored ? std::string() : toUtf8(backupPath)};
    }

    if (transfer(source, target, mode, sourceIsFolder)) {
        if (mode == Move && how.prune)
            deleteEmptyFolders(sourceInfo.absolutePath(), QString());
        return {Done, toUtf8(backupPath)};
    }

    if (how.record)
        outFilesStream.takeBack();
    emit status(failedText, true);
    // Nothing took the backed-up entry's place, so it goes straight back under its own name.
    const bool restored = undoBackup(backupPath, target, how.record);
    return {Failed, restored ? std::string() : toUtf8(backupPath)};
}

void Worker::reportUnrecordable(const RecordFile &record, const QString &source)
{
    emit status(QStringLiteral("Failed to write record file: ") + record.path() +
                    QStringLiteral("\n-->Skipping file: ") + source,
                true);
}

bool Worker::transfer(const QString &source, const QString &target, TransferMode mode,
                      bool sourceIsFolder)
{
    switch (mode) {
    case Copy: {
        // Not QFile::copy: it syncs every file to disk, which makes adding a large mod crawl.
        std::error_code error;
        const std::filesystem::path to(nativePath(target));
        if (std::filesystem::copy_file(std::filesystem::path(nativePath(source)), to, error) &&
            !error)
            return true;
        // The target was free before: whatever a failed copy left there goes.
        std::filesystem::remove(to, error);
        return false;
    }
    case Link:
        return SymbolicLink::create(nativePath(target), nativePath(source), sourceIsFolder);
    case Move: {
        if (renameEntry(source, target))
            return true;
        // Another drive: QFile copies the file and removes the original.
        const QFileInfo sourceInfo(source);
        return !isLink(sourceInfo) && sourceInfo.isFile() && QFile::rename(source, target);
    }
    }
    return false;
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

// ---------------------------------------------------------------------------------------------
// Unmount

void Worker::unmountModWorker(bool force)
{
    OutcomeCounts counts;
    if (!aborted) {
        RecordedPathCheck check(gamePath);
        UnmountJournal journal(unmountProgressPath);
        Pass pass{force, check, journal};
        counts += unmountPlacedEntries(pass);
        // While the record of placed links still lists links already removed, a game entry put
        // back at such a path would later be taken for one of ours.
        if (!aborted && pass.rewritten)
            counts += restoreBackups(pass);
        if (pass.rewritten)
            journal.clear();
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, force);
}

OutcomeCounts Worker::workThroughRecord(const QString &recordPath, Pass &pass,
                                        UnmountJournal::Step step, RecordOrder order,
                                        const std::function<Handled(const std::string &)> &handle)
{
    std::vector<std::string> lines;
    {
        LineReader reader(toUtf8(recordPath));
        while (reader.next())
            if (!reader.line.empty())
                lines.push_back(reader.line);
    }
    auto lineAt = [&lines, order](size_t n) -> const std::string & {
        return lines[order == RecordOrder::Forward ? n : lines.size() - 1 - n];
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
                batch.push_back(&lineAt(noted));
            pass.journal.note(step, batch);
        }
        const size_t i = order == RecordOrder::Forward ? n : lines.size() - 1 - n;
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
    if (!rewriteRecord(recordPath, kept)) {
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

QSet<QString> Worker::recordedRestorePaths() const
{
    QSet<QString> paths;
    for (const QString &backupPath : recordedLines(backupFilesPath))
        paths.insert(BackupName::restorePath(backupPath));
    return paths;
}

OutcomeCounts Worker::unmountPlacedEntries(Pass &pass)
{
    if (!LineReader(toUtf8(outFilesPath)).isReadable())
        return OutcomeCounts();
    // A recorded link that is not there while a backup is to go back to its path was never
    // made (the mount stopped between its record and the link): the restore takes care of
    // that path, and keeping the line would later take the game's own entry for our link.
    const QSet<QString> restorePaths = recordedRestorePaths();
    return workThroughRecord(
        outFilesPath, pass, UnmountJournal::Remove, RecordOrder::Forward,
        [this, &pass, &restorePaths](const std::string &line) -> Handled {
            const QString path = fromUtf8(line);
            emit status(path, false);
            if (!pass.check.accepts(path)) {
                reportUntrusted(path);
                return {Failed, true};
            }
            const QFileInfo info(path);
            if (isLink(info)) {
                const FileOutcome outcome = removeEntry(path, false);
                return {outcome, outcome != Done};
            }
            if (info.exists()) {
                emit status(QStringLiteral("Not a symbolic link: ") + path, true);
                return {Failed, true};
            }
            if (pass.journal.wasStarted(UnmountJournal::Remove, line))
                return {Done, false}; // removed by an unmount that was interrupted
            emit status(QStringLiteral("Missing file: ") + path, true);
            return {Missing, !restorePaths.contains(path)};
        });
}

OutcomeCounts Worker::restoreBackups(Pass &pass)
{
    if (!LineReader(toUtf8(backupFilesPath)).isReadable())
        return OutcomeCounts();
    emit appendAction(QStringLiteral("restoring backups..."));
    const QSet<QString> backupPaths = recordedLines(backupFilesPath);
    // Last set aside, first put back: a backup may itself have been set aside again when the
    // mod brings an entry named like it.
    const OutcomeCounts counts = workThroughRecord(
        backupFilesPath, pass, UnmountJournal::Restore, RecordOrder::Backward,
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
            const QFileInfo backupInfo(backupPath);
            const QFileInfo targetInfo(target);
            // Put back by an unmount that was interrupted (a rename leaves no state between),
            // and maybe put back further since, when its path is itself a backup on record.
            if (!isTaken(backupInfo) && (isTaken(targetInfo) || backupPaths.contains(target)) &&
                pass.journal.wasStarted(UnmountJournal::Restore, line))
                return {Done, false};
            // Nothing to prune: the restored entry sits in the backup's own folder.
            Placement restore;
            restore.prune = false;
            const FileOutcome outcome = place(backupInfo, targetInfo, Move, restore).outcome;
            return {outcome, outcome != Done};
        });
    emit appendAction(QString());
    return counts;
}

FileOutcome Worker::deleteFile(const QString &path)
{
    return removeEntry(path, true);
}

FileOutcome Worker::removeEntry(const QString &path, bool prune)
{
    const QFileInfo info(path);
    if (!isTaken(info)) {
        emit status(QStringLiteral("Missing file: ") + path, true);
        return Missing;
    }
    bool removed = false;
    if (isLink(info))
        removed = SymbolicLink::remove(nativePath(path)); // the link, never its target
    else if (info.isFile())
        removed = QFile::remove(path);
    if (!removed) {
        emit status(QStringLiteral("Failed to delete file: ") + path, true);
        return Failed;
    }
    if (prune)
        deleteEmptyFolders(info.absolutePath(), modsPath);
    return Done;
}

void Worker::deleteEmptyFolders(const QString &folder, const QString &stopFolder)
{
    QString current = folder;
    while (QDir(current).isEmpty(allEntries)) {
        const QString path = QDir(current).absolutePath();
        const QString parent = QFileInfo(path).absolutePath();
        if (samePath(path, stopFolder) || samePath(path, modsPath) || samePath(path, gamePath) ||
            (stopFolder.isEmpty() && samePath(parent, modsPath)) || parent == path)
            return;
        if (!QDir().rmdir(path))
            emit status(QStringLiteral("Failed to delete empty folder: ") + path, true);
        current = parent;
    }
}

// ---------------------------------------------------------------------------------------------
// Scan, delete, add

void Worker::scanModWorker(int row)
{
    QDirIterator listing(modFolder(), filesOnly, QDirIterator::Subdirectories);
    if (!listing.hasNext()) {
        emit scanModUpdate(row, QStringLiteral("0 MB"), QStringLiteral("0 files"));
        return;
    }
    const QString sizeFormat = QStringLiteral("%0 MB");
    const QString filesFormat = QStringLiteral("%0 files");
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
            sizeText = sizeFormat.arg(megabytes);
        }
        emit scanModUpdate(row, sizeText, filesFormat.arg(counter));
        ++counter;
    }
}

void Worker::deleteModWorker()
{
    OutcomeCounts counts;
    const QString folder = modFolder();
    if (!isPlainName(modName)) {
        // Never let an odd name turn "this mod" into the mods folder or something above it.
        emit status(QStringLiteral("Failed to delete file: ") + folder, true);
        counts.add(Failed);
        emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
        return;
    }
    // System entries too: a link whose target is gone is listed only with them.
    QDirIterator listing(folder, allEntries | QDir::System, QDirIterator::Subdirectories);
    QSet<QString> emptied;
    while (!aborted && listing.hasNext()) {
        const QString path = listing.next();
        emit status(path, false);
        const QFileInfo info = listing.fileInfo();
        if (!isLink(info) && info.isDir()) {
            emptied.insert(path);
        } else {
            const FileOutcome outcome = removeEntry(path, false);
            counts.add(outcome);
            if (outcome == Done)
                emptied.insert(info.absolutePath());
        }
    }
    // The mod's own folder is taken last, here, so that one left behind is reported once.
    pruneFolders(emptied, folder);
    if (!QDir().rmdir(folder) && isTaken(QFileInfo(folder)) && !aborted) {
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
    const QString stopFolder = QFileInfo(cleanAbsolute(from)).absolutePath();
    Placement how;
    how.prune = false; // once at the end, not after every file
    const QString root = from.endsWith(QLatin1Char('/')) ? from : from + QLatin1Char('/');
    QDirIterator listing(from, filesOnly, QDirIterator::Subdirectories);
    QSet<QString> emptied;
    while (!aborted && listing.hasNext()) {
        const QString sourcePath = listing.next();
        const QString relative = relativeTo(sourcePath, root);
        emit status(relative, false);
        const FileOutcome outcome =
            place(listing.fileInfo(), QFileInfo(target + QLatin1Char('/') + relative),
                  TransferMode(mode), how)
                .outcome;
        counts.add(outcome);
        if (outcome == Done && mode == Move)
            emptied.insert(listing.fileInfo().absolutePath());
    }
    pruneFolders(emptied, stopFolder);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
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
        if (QFileInfo(folder).isDir()) // not already taken with an emptied subfolder
            deleteEmptyFolders(folder, stopFolder);
}

bool Worker::isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}
