#pragma once

#include <QString>

#include <string>

// How finished operations are put into words on the status line and in the mount's error
// records (kept under "MountedError").
namespace ResultWording
{

struct ActionWords {
    QString pAction;   // past: "mounted"
    QString pAction_c; // past, capitalised: "Mounted"
    QString cAction;   // base verb: "mount"
};

// The words for "Mounting", "Unmounting", "Repairing", "Adding" or "Deleting"; empty for
// anything else.
ActionWords actionWords(const QString &action);

QString statusSummary(const QString &action, const QString &modName, int done, int failed,
                      int missing, bool aborted, bool forced);

// One record for a result that was aborted or had problems, as UTF-8.
std::string errorRecord(const std::string &action, int done, int failed, int missing, bool aborted);

// The mounted row's tool tip from the error records joined by ";": "Warning:" and one numbered
// line each; empty when there is none.
QString mountedWarning(const QString &errorRecords);

// Said in the "Error" box when config.cfg could not be written.
QString saveFailure(const std::string &configPath);

} // namespace ResultWording
