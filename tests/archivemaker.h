#pragma once

// Archives the tests write themselves, through libarchive's write side.

#include <QByteArray>
#include <QList>
#include <QString>

namespace ArchiveMaker
{

struct Entry {
    enum Type { File, Folder, SymbolicLink, HardLink, Fifo };
    QByteArray name; // as stored: raw bytes
    QByteArray content = "data";
    Type type = File;
    QByteArray target = QByteArray(); // of a link
};

// `format`: "zip", "7z", "tar.gz", "tar.xz" or "tar.bz2". With a password, a zip's files are
// encrypted. False when the archive could not be written.
bool write(const QString &path, const QString &format, const QList<Entry> &entries,
           const QByteArray &password = QByteArray());

// A zip holding one file of `megabytes` MiB of zeros: a few kilobytes on disk.
bool writeZeros(const QString &path, int megabytes);

} // namespace ArchiveMaker
