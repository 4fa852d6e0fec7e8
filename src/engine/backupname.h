#pragma once

#include <QString>

// The names under which game entries are set aside while a mod is mounted.
namespace BackupName
{

extern const QString suffix; // ".oxdbackup"

// The first free name among target + ".oxdbackup", then ".oxdbackup2", ".oxdbackup3", ...
QString forTarget(const QString &target);

// The path a backup goes back to: the backup path cut before the last ".oxdbackup".
// Empty when the path holds no ".oxdbackup".
QString restorePath(const QString &backupPath);

} // namespace BackupName
