#pragma once

#include "operation.h"

#include <QString>

#include <string>

// How finished operations are put into words on the status line and in the mount's error
// records (kept under "MountedError").
namespace ResultWording
{

struct ActionWords {
    QString ongoing; // "Mounting": the progress dialog's title and an aborted result
    QString past;    // "mounted"
    QString verb;    // "mount"
    QString kept;    // "earlier game files kept": what OutcomeCounts::kept counts for it
};

ActionWords actionWords(Operation operation);

// "5 files mounted, 1 files failed, 2 files missing, 1 game files set aside": the failed,
// missing and kept parts only when there are any.
QString counted(const OutcomeCounts &counts, const QString &doneWord, const QString &keptWords);

// The status line's text for a finished operation.
QString statusSummary(const OperationResult &result);

// One record for a mount, unmount or repair that was aborted or had problems, as UTF-8.
std::string errorRecord(Operation operation, const OutcomeCounts &counts, bool aborted);

// The mounted row's tool tip from the error records joined by ";": "Warning:" and one numbered
// line each; empty when there is none.
QString mountedWarning(const QString &errorRecords);

// "Mounted with hard links." or "Mounted with symbolic links."
QString mountedWay(bool hardLinks);

// Said in the "Error" box when config.cfg could not be written.
QString saveFailure(const std::string &configPath);

} // namespace ResultWording
