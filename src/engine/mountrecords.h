#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>
#include <vector>

// The records of the current mount: every link it placed and every game entry it set aside,
// one path each. A line is written before the change it records and taken back if the change
// fails, so that a crash at any instant leaves every change of the game folder on record. A
// mount's first line truncates its record, and a taken-back first line restores what the record
// held before, so a mount that records nothing leaves it as it was. Only this class knows how
// the records are laid out on disk.
class MountRecords
{
public:
    enum class Record { Placed, Backups };

    MountRecords(const QString &placedPath, const QString &backupsPath);

    MountRecords(const MountRecords &) = delete;
    MountRecords &operator=(const MountRecords &) = delete;

    // A path that fits on one record line; no other can be recorded, so none other is placed.
    static bool canHold(const QString &path);

    // Writes `path` to the record straight away. False when it could not be written whole; the
    // record is then as it was before the call.
    bool append(Record record, const QString &path);
    // Removes the path that the last successful append to this record wrote. Only one can be
    // taken back.
    bool takeBack(Record record);
    // From the next write on, paths go after what the records hold instead of replacing it (a
    // repair adds to the records of the mount it repairs).
    void appendToExisting() { keepExisting = true; }
    void close();
    // The record's file, for messages.
    QString fileName(Record record) const;

    struct Lines {
        bool readable = false;          // a record that is there and could be read
        std::vector<std::string> paths; // UTF-8, in the order they were recorded
    };
    // The paths the record holds now.
    Lines read(Record record) const;
    // Replaces the record's paths with `paths`, whole or not at all.
    bool keepOnly(Record record, const std::vector<std::string> &paths);

    // Either record lists a path: a mount is in place. Reads only up to the first path, since
    // it runs on the window's thread and the records of a large mount are megabytes.
    bool listsEntries() const;
    // The mod below `modsFolder` that the first recorded link leading into one of them leads
    // into; empty when none does.
    QString modOfPlacedLinks(const QString &modsFolder) const;

private:
    // One record being written ahead of the changes.
    struct Stream {
        QFile file;
        QByteArray contentBefore; // what it held before this run truncated it
        bool existedBefore = false;
        qint64 lastLineStart = -1;
    };
    Stream &stream(Record record) { return record == Record::Placed ? placed : backups; }
    const Stream &stream(Record record) const
    {
        return record == Record::Placed ? placed : backups;
    }
    bool open(Stream &record);
    static void closeStream(Stream &record);

    Stream placed;
    Stream backups;
    bool keepExisting = false;
};
