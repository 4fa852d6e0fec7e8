#pragma once

#include <QString>

#include <string>

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
    // The tool tip of the mounted row: the way it was mounted, how many game entries its records
    // list as set aside, and its error records as warnings.
    QString toolTip() const;
    // The mount's error records as warnings; empty when there are none.
    QString warning() const;

    // Recorded and saved before the mount starts, so that a mount cut short is still known.
    // False, with nothing recorded, when config.cfg could not be saved: the mount must not start.
    // The size and count are kept as the list shows them.
    bool begin(const QString &modName, qint64 bytes, qint64 files);
    // Each saves what the result means; true when the list must be scanned again to show it.
    bool mountFinished(const OutcomeCounts &counts, bool aborted);
    bool unmountFinished(const OutcomeCounts &counts, bool aborted, bool forced);
    // A clean repair clears the error records; one with problems adds its own.
    void repairFinished(const OutcomeCounts &counts, bool aborted);
    // The last save of config.cfg made here failed.
    bool saveFailed() const { return !lastSaveOk; }

    // The records are the truth: while they list an entry, a mount is in place.
    bool recordsListEntries() const;
    // Records that list entries while no mod is known as mounted (config.cfg could not be
    // saved, or was replaced): the mod that the recorded links lead into becomes the mounted
    // one again, or `unknownMod` when none can be named, so that an unmount can undo them.
    // True when it did so.
    bool recoverFromRecords();
    static QString unknownMod();

private:
    void forget();
    void addErrorRecord(const std::string &record);
    bool save();
    QString modOfRecordedLinks() const;
    QString value(const char *key) const;

    ConfigStore *config;
    bool lastSaveOk = true;
};
