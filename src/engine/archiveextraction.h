#pragma once

#include "fileoutcome.h"
#include "workerparts.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <functional>

class QFile;
struct archive;
struct archive_entry;

// Writes what an archive holds into a folder, entry by entry, streaming: nothing lands outside
// the folder, and nothing is written that Windows could not hold. Reports as the Worker's
// operations do: the entry being written, and one line for each entry refused.
class ArchiveExtraction
{
public:
    // Files written, and bytes of the archive read against its size.
    using Amount = std::function<void(int files, qint64 bytesRead, qint64 archiveBytes)>;

    ArchiveExtraction(WorkerParts::Report report, Amount amount, const std::atomic<bool> &aborted);

    struct Result {
        OutcomeCounts counts;
        // The whole archive was read and every entry that may be written was: refused entries
        // are counted, but leave the result complete; an abort, an unreadable archive or a full
        // disk do not.
        bool complete = false;
    };
    // `folder` exists and is empty.
    Result run(const QString &archivePath, const QString &folder);

private:
    enum class Step { Next, Stop };
    Step extractEntry(archive *reader, archive_entry *entry, const QString &name,
                      const QString &folder, OutcomeCounts &counts);
    Step writeFile(archive *reader, const QString &path, OutcomeCounts &counts);
    // Most often a full disk: nothing more of this archive can be written.
    Step writeFailure(const QFile &file, OutcomeCounts &counts);
    // Refuses a name that differs only in case from one written before: Windows would see one.
    bool clashes(const QString &relative);
    void readFailure(archive *reader);

    void tellAmount(archive *reader, const OutcomeCounts &counts);

    WorkerParts::Report report;
    Amount amount;
    const std::atomic<bool> &aborted;
    qint64 archiveBytes = 0;
    QString archivePath;
    QHash<QString, QString> written; // case-folded relative paths (and their folders) as written
};
