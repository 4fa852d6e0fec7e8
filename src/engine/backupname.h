#pragma once

#include <QString>

#include <functional>

// The names under which game entries are set aside while a mod is mounted.
namespace BackupName
{

extern const QString suffix; // ".oxdbackup"

// The first free name among target + ".oxdbackup", then ".oxdbackup2", ".oxdbackup3", ...;
// `taken` tells whether a name is in use in the target's folder (by default: whether anything
// stands at that path).
QString
forTarget(const QString &target,
          const std::function<bool(const QString &folder, const QString &name)> &taken = nullptr);

// The path a backup goes back to: the backup path cut before the last ".oxdbackup".
// Empty when the path holds no ".oxdbackup".
QString restorePath(const QString &backupPath);

} // namespace BackupName
