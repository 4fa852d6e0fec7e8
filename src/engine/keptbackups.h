#pragma once

#include <QString>

// The list of earlier game entries that unmounts left in the game folder under their backup
// names, because a newer entry had taken their places: one absolute path a line. Only ever
// appended to, so that nothing kept is forgotten; mounts never touch it, and the user may delete
// it. Only this class writes it.
class KeptBackups
{
public:
    explicit KeptBackups(const QString &filePath);

    // Adds one line straight away. False when it could not be written whole; the list is then
    // as it was.
    bool append(const QString &backupPath);
    // The failure line for a list that could not be written.
    QString writeFailure() const;

private:
    const QString filePath;
};
