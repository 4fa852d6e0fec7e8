// The Worker's add of a mod straight from its archive: extracted into a staging folder, which
// takes the mod's name only once the whole archive is in it.
#include "worker.h"

#include "archiveextraction.h"
#include "entrycalls.h"
#include "stagingfolder.h"

#include <QDir>
#include <QSet>

namespace
{

// The folder of the staging area that holds the mod: when it holds one single folder whose
// name is none at the top of the game folder, that wrapper is not part of the mod (one level
// only: below it, a mod's own folders may well be missing from a fresh game). Nothing is
// stripped when the game folder cannot be listed.
QString modRootIn(const QString &staging, const QString &gameFolder)
{
    const QDir game(gameFolder);
    if (gameFolder.isEmpty() || !game.exists())
        return staging;
    QSet<QString> gameTop;
    for (const QString &name :
         game.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        gameTop.insert(name.toCaseFolded());
    const QFileInfoList entries = QDir(staging).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                              QDir::System | QDir::NoDotAndDotDot);
    if (entries.size() != 1 || !entries[0].isDir() || entries[0].isSymLink() ||
        gameTop.contains(entries[0].fileName().toCaseFolded()))
        return staging;
    return entries[0].filePath();
}

} // namespace

void Worker::extractArchiveWorker(const QString &archivePath, const QString &target)
{
    OutcomeCounts counts;
    if (!aborted)
        counts = addFromArchive(archivePath, target);
    emit resultReady(modName, counts.done, counts.failed, counts.missing, aborted, false);
}

OutcomeCounts Worker::addFromArchive(const QString &archivePath, const QString &target)
{
    OutcomeCounts counts;
    StagingFolder::removeLeftovers(paths.mods);
    const QString staging = StagingFolder::make(paths.mods);
    if (staging.isEmpty()) {
        emit status(QStringLiteral("Failed to create folder: ") + paths.mods, true);
        counts.add(Failed);
        return counts;
    }
    ArchiveExtraction extraction(
        [this](const QString &text, bool error) { emit status(text, error); },
        [this](int files, qint64 read, qint64 total) { emit amountDone(files, read, total); },
        aborted);
    const ArchiveExtraction::Result extracted = extraction.run(archivePath, staging);
    counts += extracted.counts;
    // A mod is made of what arrived: an archive all of whose entries were refused adds none.
    if (extracted.complete && extracted.counts.done > 0) {
        const QString root = modRootIn(staging, paths.game);
        switch (EntryCalls::renameWithoutReplacing(FileEntry::nativePath(root),
                                                   FileEntry::nativePath(target))) {
        case EntryCalls::Rename::Done:
            // The staging folder itself, when no wrapper was left out: the list must show it.
            EntryCalls::setHidden(FileEntry::nativePath(target), false);
            break;
        case EntryCalls::Rename::TargetTaken:
            emit status(QStringLiteral("A mod with that name already exists."), true);
            counts.add(Failed);
            break;
        default:
            emit status(QStringLiteral("Failed to move file: ") + root, true);
            counts.add(Failed);
            break;
        }
    }
    QDir(staging).removeRecursively();
    return counts;
}
