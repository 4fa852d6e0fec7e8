// The Worker's delete and add of a mod folder.
#include "worker.h"

#include "entrycalls.h"
#include "entryplacer.h"
#include "fileentry.h"
#include "pathnames.h"
#include "workerparts.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace WorkerParts;
using FileEntry::Kind;
using FileEntry::kindOf;
using FileEntry::nativePath;

namespace
{

// The bytes of the files below a folder, for the progress of an add or a delete.
qint64 bytesBelow(const QString &folder, QDir::Filters filters, const std::atomic<bool> &aborted)
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

} // namespace

void Worker::deleteModWorker()
{
    OutcomeCounts counts;
    const QString folder = modFolder();
    if (!PathNames::isPlainFolderName(modName)) {
        // Never let an odd name turn "this mod" into the mods folder or something above it.
        emit status(QStringLiteral("Failed to delete file: ") + folder, true);
        counts.add(Failed);
        emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                         false);
        return;
    }
    // Hidden entries too: the user deleted the whole mod.
    const qint64 total = bytesBelow(folder, everyEntry, aborted);
    qint64 done = 0;
    QDirIterator listing(folder, everyEntry, QDirIterator::Subdirectories);
    QStringList folders;
    while (!aborted && listing.hasNext()) {
        const QString path = listing.next();
        emit status(path, false);
        const EntryPlacer::SourceEntry entry = EntryPlacer::sourceFrom(listing.fileInfo());
        if (entry.kind == Kind::Folder) {
            folders << path;
            continue;
        }
        // Looked at before it goes: the listing's information is fetched when first asked for.
        const qint64 size = entry.kind == Kind::File ? listing.fileInfo().size() : 0;
        counts.add(removal.removeKnown(path, entry.kind));
        done += size;
        emit amountDone(counts.done, done, total);
    }
    // Every folder was listed: each is removed once, inside ones first, and none is looked
    // at again from below.
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &path : qAsConst(folders))
        if (!aborted)
            removal.removeFolder(path);
    // The mod's own folder is taken last, here, so that one left behind is reported once.
    const auto removeOwnFolder = [&folder] {
        return EntryCalls::removeFolder(nativePath(folder)) == EntryCalls::RemoveFolder::Done;
    };
    if (!aborted && !removeOwnFolder() && !(removal.makeRemovable(folder) && removeOwnFolder()) &&
        kindOf(folder) != Kind::None) {
        emit status(EntryRemoval::folderFailureText(folder), true);
        counts.add(Failed);
    }
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}

void Worker::moveFolderWorker(const QString &source, const QString &target, TransferMode mode)
{
    OutcomeCounts counts;
    const QString from = QDir::cleanPath(source);
    // Pruning after each move may take the chosen folder once it is empty, never its parents.
    const QString stopFolder = QFileInfo(PathNames::absoluteClean(from)).absolutePath();
    EntryPlacer placer(reporter(), aborted);
    const QString root = from.endsWith(QLatin1Char('/')) ? from : from + QLatin1Char('/');
    const qint64 total = bytesBelow(from, filesOnly, aborted);
    qint64 done = 0;
    // Folders and system entries are listed too, for the links among them (to folders, or
    // whose target is gone); hidden entries are left where they are. Links are not followed.
    QDirIterator listing(from, allEntries | QDir::System, QDirIterator::Subdirectories);
    QSet<QString> emptied;
    while (!aborted && listing.hasNext()) {
        const QString sourcePath = listing.next();
        const EntryPlacer::SourceEntry entry = EntryPlacer::sourceFrom(listing.fileInfo());
        if (entry.kind == Kind::Folder)
            continue; // made when a file arrives in it
        if (entry.kind == Kind::Link) {
            // A link would bring in whatever it points to, inside the mod or anywhere else;
            // it stays in the source folder, even after a move.
            emit status(QStringLiteral("Skipped link: ") + sourcePath, true);
            counts.add(Failed);
            continue;
        }
        const QString relative = relativeTo(sourcePath, root);
        emit status(relative, false);
        const QString destination = target + QLatin1Char('/') + relative;
        const qint64 size = listing.fileInfo().size(); // before a move takes it away
        const FileOutcome outcome = placer.placeByTrying(entry, destination, mode);
        // A copy the abort cut short left nothing: the result says aborted, as between files.
        if (outcome != Done && aborted)
            break;
        counts.add(outcome);
        if (outcome == Done && mode == TransferMode::Move)
            emptied.insert(listing.fileInfo().absolutePath());
        done += size;
        emit amountDone(counts.done, done, total);
    }
    // Emptied folders are pruned once at the end, not after every file.
    removal.pruneFolders(emptied, stopFolder); // a folder holding a skipped link stays
    emit resultReady(modName, counts.done, counts.failed, counts.missing, counts.kept, aborted,
                     false);
}
