#pragma once

#include "fileoutcome.h"
#include "foldersizes.h"
#include "gamenames.h"
#include "modwalk.h"
#include "previewedmount.h"
#include "workerparts.h"

#include <QString>

#include <atomic>
#include <vector>

class MountRecords;

// Tells what a mount of a mod would do, and changes nothing: the walk of the mod goes by the
// mount's own rules and its way of linking, and where the mount would place an entry, this
// notes the game entry it would set aside or, where there is none, the entry it would add; where
// the mount would refuse one, the mount's text. For a hard-link mount the folders it would make
// are walked into as if made.
class MountPreview : private ModWalk::Visitor
{
public:
    MountPreview(QString gameFolder, const QString &modFolder, const OwnFolders &ownFolders,
                 MountWay way, WorkerParts::Report report, const std::atomic<bool> &aborted);

    PreviewedMount run();
    // What the records of the mounted mod say was set aside, measured where it lies now.
    static PreviewedMount ofRecords(const MountRecords &records, const QString &gameFolder,
                                    const WorkerParts::Report &report,
                                    const std::atomic<bool> &aborted);

private:
    void reached(const ModWalk::Entry &entry) override;
    FileOutcome place(const ModWalk::Entry &entry, FileEntry::Kind targetKind) override;
    void refuse(const ModWalk::Entry &entry, ModWalk::Refusal why) override;
    FileOutcome makeFolder(const ModWalk::Entry &entry, FileEntry::Kind targetKind) override;
    // The entry at `info` (a game entry set aside, or a mod entry added) as `target` lists it; a
    // folder, or a link to one, is measured beside the walk.
    void note(QVector<PreviewedMount::Entry> &list, const QFileInfo &info, const QString &target);
    static void sortByPath(PreviewedMount &preview);

    const QString gameRoot; // the game folder and a slash
    const QString modFolder;
    const TransferMode mode;
    WorkerParts::Report report;
    GameNames names;
    ModWalk walk;
    PreviewedMount preview;
    FolderSizes sizes;
    // Where each folder given to `sizes` is listed, in the order given.
    struct Row {
        QVector<PreviewedMount::Entry> *list;
        int index;
    };
    std::vector<Row> measuredLater;
};
