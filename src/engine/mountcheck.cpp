#include "mountcheck.h"

#include "fileentry.h"
#include "linereader.h"
#include "placedlink.h"
#include "recordedpathcheck.h"
#include "utf8.h"

#include <QDirIterator>
#include <QFileInfo>

#include <utility>

using FileEntry::Kind;
using FileEntry::kindOf;

namespace
{

QString key(const QString &path)
{
    return path.toCaseFolded();
}

} // namespace

MountCheck::MountCheck(QString game, QString mod, Report reportTo,
                       const std::atomic<bool> &abortFlag)
    : gameFolder(std::move(game)), modFolder(std::move(mod)), report(std::move(reportTo)),
      aborted(abortFlag)
{
}

OutcomeCounts MountCheck::run(const QString &outFilesPath, const QString &backupFilesPath)
{
    OutcomeCounts counts;
    RecordedPathCheck trusted(gameFolder);
    LineReader links(toUtf8(outFilesPath));
    while (!aborted && links.next()) {
        if (links.line.empty())
            continue;
        const QString path = fromUtf8(links.line);
        placed.insert(key(path));
        counts.add(checkPlaced(trusted, path));
    }
    LineReader backups(toUtf8(backupFilesPath));
    while (!aborted && backups.next())
        if (!backups.line.empty())
            counts.add(checkBackup(trusted, fromUtf8(backups.line)));
    if (!aborted)
        checkModFolder(modFolder, gameFolder, counts);
    return counts;
}

FileOutcome MountCheck::checkPlaced(RecordedPathCheck &trusted, const QString &path)
{
    report(path, false);
    if (!trusted.accepts(path)) {
        report(QStringLiteral("Not a recorded path inside the game folder: ") + path, true);
        return Failed;
    }
    const Kind kind = kindOf(path);
    if (kind == Kind::None) {
        report(QStringLiteral("Missing file: ") + path, true);
        return Missing;
    }
    const QString modEntry = PlacedLink::modEntry(path, gameFolder, modFolder, modNames);
    if (kind != Kind::Link || !PlacedLink::leadsTo(path, modEntry)) {
        report(QStringLiteral("Replaced by another entry: ") + path, true);
        return Failed;
    }
    if (kindOf(modEntry) == Kind::None) {
        report(QStringLiteral("Missing from the mod: ") + path, true);
        return Failed;
    }
    return Done;
}

FileOutcome MountCheck::checkBackup(RecordedPathCheck &trusted, const QString &path)
{
    report(QFileInfo(path).fileName(), false);
    if (!trusted.accepts(path)) {
        report(QStringLiteral("Not a recorded path inside the game folder: ") + path, true);
        return Failed;
    }
    if (kindOf(path) != Kind::None)
        return Done;
    report(QStringLiteral("Missing file: ") + path, true);
    return Missing;
}

void MountCheck::checkModFolder(const QString &folder, const QString &gameFolderOfIt,
                                OutcomeCounts &counts)
{
    // Listed as a mount lists the mod: hidden entries are never placed.
    QDirIterator listing(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (!aborted && listing.hasNext()) {
        const QString source = listing.next();
        // The path a mount gives it, in the game's spelling.
        const QString target =
            gameFolderOfIt + QLatin1Char('/') + names.spelling(gameFolderOfIt, listing.fileName());
        if (placed.contains(key(target)))
            continue;
        // A mount links the mod's entries one by one inside a real game folder (a mod file
        // there has none, so nothing of it is placed).
        if (kindOf(target) == Kind::Folder) {
            checkModFolder(source, target, counts);
            continue;
        }
        report(QStringLiteral("Not mounted: ") + source, true);
        counts.add(Failed);
    }
}
