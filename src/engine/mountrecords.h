#pragma once

#include "hardlink.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>
#include <vector>

// The records of the current mount: every entry it placed, with how it placed it, and every
// game entry it set aside. A line is written before the change it records and taken back if the
// change fails, so that a crash at any instant leaves every change of the game folder on record.
// A mount's first line truncates its record, and a taken-back first line restores what the
// record held before, so a mount that records nothing leaves it as it was. Only this class knows
// how the records are laid out on disk.
class MountRecords
{
public:
    enum class Record { Placed, Backups };

    enum class PlacedKind { SymbolicLink, HardLink, Folder };
    struct Placed {
        PlacedKind kind = PlacedKind::SymbolicLink;
        std::string path; // UTF-8
        // A hard link's, read through its path right after it was made; unknown while the line
        // that says it is not on record.
        HardLink::Identity identity;
    };
    struct PlacedEntries {
        bool readable = false;       // a record that is there and could be read
        std::vector<Placed> entries; // in the order they were first recorded, one per path
    };
    struct Lines {
        bool readable = false;
        std::vector<std::string> paths; // UTF-8, in the order they were recorded
    };

    MountRecords(const QString &placedPath, const QString &backupsPath);

    // Closes the records, writing what still waited.
    ~MountRecords();
    MountRecords(const MountRecords &) = delete;
    MountRecords &operator=(const MountRecords &) = delete;

    // A path that fits on one record line; no other can be recorded, so none other is placed.
    static bool canHold(const QString &path);

    // Each writes one line to its record straight away. False when it could not be written
    // whole; the record is then as it was before the call.
    bool appendBackup(const QString &path);
    // Also for an entry on record already: a hard link placed again has no known identity until
    // its identity follows.
    bool appendPlaced(PlacedKind kind, const QString &path);
    // Goes out with the next line of the record, or when it is closed: the link is on record
    // already, so its identity may come late, and one write per file less keeps a mount of many
    // files close to the system's own speed.
    bool appendIdentity(const QString &path, const HardLink::Identity &identity);
    // Removes the line that the last successful append to this record wrote. Only one can be
    // taken back.
    bool takeBack(Record record);
    // From the next write on, lines go after what the records hold instead of replacing it (a
    // repair adds to the records of the mount it repairs).
    void appendToExisting() { keepExisting = true; }
    void close();
    // The record's file, for messages.
    QString fileName(Record record) const;
    // The failure line for a record that could not be written.
    QString writeFailure(Record record) const;

    // What the records hold now.
    PlacedEntries readPlaced() const;
    Lines readBackups() const;
    // Replaces the record's content with these, whole or not at all.
    bool keepOnlyPlaced(const std::vector<Placed> &entries);
    bool keepOnlyBackups(const std::vector<std::string> &paths);

    // The record's text for these entries, and the entries a record's text gives: later lines
    // of a path say more about the entry of its first line.
    static QByteArray placedText(const std::vector<Placed> &entries);
    static std::vector<Placed> placedFrom(const QByteArray &text);

    // Either record lists a path: a mount is in place. Reads only up to the first path, since
    // it runs on the window's thread and the records of a large mount are megabytes.
    bool listsEntries() const;
    // The mod below `modsFolder` that the first recorded symbolic link leading into one of them
    // leads into; empty when none does.
    QString modOfPlacedLinks(const QString &modsFolder) const;

private:
    // One record being written ahead of the changes.
    struct Stream {
        QFile file;
        QByteArray contentBefore; // what it held before this run truncated it
        bool existedBefore = false;
        qint64 lastLineStart = -1;
        QByteArray pending; // lines that go out with the next one
    };
    class Reading;
    Stream &stream(Record record) { return record == Record::Placed ? placed : backups; }
    const Stream &stream(Record record) const
    {
        return record == Record::Placed ? placed : backups;
    }
    bool open(Stream &record);
    bool appendLine(Record record, const QByteArray &line);
    bool replaceWith(Record record, const QByteArray &content);
    static void closeStream(Stream &record);

    Stream placed;
    Stream backups;
    bool keepExisting = false;
};
