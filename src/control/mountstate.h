#pragma once

#include <QString>

class ConfigStore;
struct OutcomeCounts;

// Which mod is mounted, as config.cfg keeps it, and what the end of a mount or unmount makes
// of that: the mount is recorded before it starts, withdrawn when nothing of it is left to
// undo, and carries the records of what went wrong until an unmount succeeds.
class MountState
{
public:
    explicit MountState(ConfigStore *store);

    // Empty when no mod is mounted.
    QString mountedMod() const;
    bool isMounted() const;
    // The size and file count the mod's row showed when it was mounted.
    QString mountedSize() const;
    QString mountedCount() const;
    // The tool tip of the mounted row: its error records as warnings; empty when there are none.
    QString warning() const;

    // Recorded and saved before the mount starts, so that a mount cut short is still known.
    void begin(const QString &modName, const QString &size, const QString &count);
    // Each saves what the result means; true when the list must be scanned again to show it.
    bool mountFinished(const OutcomeCounts &counts, bool aborted);
    bool unmountFinished(const OutcomeCounts &counts, bool aborted, bool forced);

private:
    void forget();
    bool recordsAreEmpty() const;
    QString value(const char *key) const;

    ConfigStore *config;
};
