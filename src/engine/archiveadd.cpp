#include "archiveadd.h"

#include "archiveextraction.h"
#include "entrycalls.h"
#include "stagingfolder.h"

#include <QDir>
#include <QSet>

#include <utility>

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

ArchiveAdd::ArchiveAdd(const QString &mods, const QString &game, WorkerParts::Report reportTo,
                       Amount amountTo, const std::atomic<bool> &abortFlag)
    : modsFolder(mods), gameFolder(game), report(std::move(reportTo)), amount(std::move(amountTo)),
      aborted(abortFlag)
{
}

OutcomeCounts ArchiveAdd::run(const QString &archivePath, const QString &target)
{
    OutcomeCounts counts;
    StagingFolder::removeLeftovers(modsFolder);
    const QString staging = StagingFolder::make(modsFolder);
    if (staging.isEmpty()) {
        report(QStringLiteral("Failed to create folder: ") + modsFolder, true);
        counts.add(Failed);
        return counts;
    }
    ArchiveExtraction extraction(report, amount, aborted);
    const ArchiveExtraction::Result extracted = extraction.run(archivePath, staging);
    counts += extracted.counts;
    bool made = false;
    // A mod is made of what arrived: an archive all of whose entries were refused adds none.
    if (extracted.complete && extracted.counts.done > 0) {
        const QString root = modRootIn(staging, gameFolder);
        switch (EntryCalls::renameWithoutReplacing(FileEntry::nativePath(root),
                                                   FileEntry::nativePath(target))) {
        case EntryCalls::Rename::Done:
            // The staging folder itself, when no wrapper was left out: the list must show it.
            EntryCalls::setHidden(FileEntry::nativePath(target), false);
            made = true;
            break;
        case EntryCalls::Rename::TargetTaken:
            report(QStringLiteral("A mod with that name already exists."), true);
            counts.add(Failed);
            break;
        default:
            report(QStringLiteral("Failed to move file: ") + root, true);
            counts.add(Failed);
            break;
        }
    }
    QDir(staging).removeRecursively();
    // What was written and then removed with the staging folder was not added.
    if (!made && counts.done > 0) {
        report(QStringLiteral("Removed the %1 files extracted so far: nothing was added.")
                   .arg(counts.done),
               true);
        counts.done = 0;
    }
    return counts;
}
