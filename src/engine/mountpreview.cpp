#include "mountpreview.h"

#include "backupname.h"
#include "entryplacer.h"
#include "foldermeasure.h"
#include "modmount.h"
#include "mountrecords.h"
#include "utf8.h"

#include <algorithm>
#include <utility>

using FileEntry::Kind;

namespace
{

PreviewedMount::Entry measuredNow(const QFileInfo &info, const QString &listedAs,
                                  const std::atomic<bool> &aborted)
{
    if (!info.isDir()) // a link whose target is gone has no bytes
        return {listedAs, info.exists() ? info.size() : 0, 1};
    const FolderMeasure::Totals figures = FolderMeasure::of(info.filePath(), aborted);
    return {listedAs, figures.bytes, figures.files};
}

} // namespace

MountPreview::MountPreview(QString gameFolder, const QString &mod, const OwnFolders &ownFolders,
                           MountWay way, WorkerParts::Report reportTo,
                           const std::atomic<bool> &aborted)
    : gameRoot(std::move(gameFolder) + QLatin1Char('/')), modFolder(mod),
      mode(way == MountWay::HardLinks ? TransferMode::HardLink : TransferMode::Link),
      report(std::move(reportTo)), walk(mod, names, ownFolders, *this, aborted, way), sizes(aborted)
{
}

PreviewedMount MountPreview::run()
{
    walk.walk(modFolder, gameRoot.chopped(1));
    const std::vector<FolderSizes::Figures> figures = sizes.results();
    for (size_t i = 0; i < figures.size(); ++i) {
        PreviewedMount::Entry &entry = (*measuredLater[i].list)[measuredLater[i].index];
        entry.bytes = figures[i].bytes;
        entry.files = figures[i].files;
    }
    sortByPath(preview);
    preview.countTotals();
    return preview;
}

PreviewedMount MountPreview::ofRecords(const MountRecords &records, const QString &gameFolder,
                                       const WorkerParts::Report &report,
                                       const std::atomic<bool> &aborted)
{
    PreviewedMount preview;
    preview.fromRecords = true;
    const QString root = gameFolder + QLatin1Char('/');
    for (const std::string &line : records.readBackups().paths) {
        if (aborted)
            break;
        const QString backup = fromUtf8(line);
        const QString original = BackupName::restorePath(backup);
        if (original.isEmpty())
            continue; // no backup name: nothing a mount set aside
        const QString relative = WorkerParts::relativeTo(original, root);
        report(relative, false);
        preview.replaced << measuredNow(QFileInfo(backup), relative, aborted);
    }
    sortByPath(preview);
    preview.countTotals();
    return preview;
}

void MountPreview::reached(const ModWalk::Entry &entry)
{
    report(entry.relative, false);
}

FileOutcome MountPreview::place(const ModWalk::Entry &entry, FileEntry::Kind targetKind)
{
    const QString unplaceable =
        EntryPlacer::unplaceableText(EntryPlacer::sourceFrom(entry.source), mode);
    if (!unplaceable.isEmpty()) {
        preview.refused << unplaceable;
        return Failed;
    }
    if (targetKind != Kind::None)
        note(preview.replaced, QFileInfo(entry.target), entry.target);
    else
        note(preview.added, entry.source, entry.target);
    return Done;
}

void MountPreview::refuse(const ModWalk::Entry &entry, ModWalk::Refusal why)
{
    preview.refused << ModMount::refusalText(entry, why, mode);
}

FileOutcome MountPreview::makeFolder(const ModWalk::Entry &entry, FileEntry::Kind targetKind)
{
    // Nothing is made: the walk goes on into the folder as if it stood there, empty.
    if (targetKind != Kind::None)
        note(preview.replaced, QFileInfo(entry.target), entry.target);
    return Done;
}

void MountPreview::note(QVector<PreviewedMount::Entry> &list, const QFileInfo &info,
                        const QString &target)
{
    const QString listedAs = WorkerParts::relativeTo(target, gameRoot);
    if (!info.isDir()) {
        list << PreviewedMount::Entry{listedAs, info.exists() ? info.size() : 0, 1};
        return;
    }
    measuredLater.push_back({&list, list.size()});
    list << PreviewedMount::Entry{listedAs, 0, 0};
    sizes.add(info.filePath());
}

void MountPreview::sortByPath(PreviewedMount &preview)
{
    const auto byPath = [](const PreviewedMount::Entry &a, const PreviewedMount::Entry &b) {
        return a.path < b.path;
    };
    std::sort(preview.replaced.begin(), preview.replaced.end(), byPath);
    std::sort(preview.added.begin(), preview.added.end(), byPath);
}
