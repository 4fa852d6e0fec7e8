#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// One of the two mount records (out_files.txt, backup_files.txt): one path per line.
// Lines are written before the change they record and taken back if the change fails, so that
// a crash at any instant leaves every change of the game folder on record. The file is
// truncated when its first line is written, and a taken-back first line restores what the file
// held before, so a mount that records nothing leaves the file as it was.
class RecordFile
{
public:
    explicit RecordFile(const QString &path);

    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // From the next opening on, lines go after what the file holds instead of replacing it
    // (a repair adds to the records of the mount it repairs).
    void keepExistingLines() { keepExisting = true; }
    // Writes `line` and a line end straight to the file. False when it could not be written
    // whole; the file is then as it was before the call.
    bool append(const QByteArray &line);
    // Removes the line that the last successful append wrote. Only one line can be taken back.
    bool takeBack();
    void close();
    bool isOpen() const { return file.isOpen(); }
    // Replaces a record's lines with `lines` (each ending in a line feed), whole or not at all.
    static bool rewrite(const QString &path, const QByteArray &lines);
    QString path() const { return file.fileName(); }

private:
    bool open();

    QFile file;
    QByteArray contentBeforeMount;
    bool existedBeforeMount = false;
    qint64 lastLineStart = -1;
    bool keepExisting = false;
};
