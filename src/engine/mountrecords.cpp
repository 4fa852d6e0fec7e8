#include "mountrecords.h"

#include "linereader.h"
#include "pathnames.h"
#include "utf8.h"

#include <QFileInfo>
#include <QSaveFile>

MountRecords::MountRecords(const QString &placedPath, const QString &backupsPath)
{
    placed.file.setFileName(placedPath);
    backups.file.setFileName(backupsPath);
}

bool MountRecords::canHold(const QString &path)
{
    return PathNames::fitsOnOneLine(path);
}

QString MountRecords::fileName(Record record) const
{
    return stream(record).file.fileName();
}

bool MountRecords::open(Stream &record)
{
    QFile previous(record.file.fileName());
    record.existedBefore = QFileInfo(previous).isFile();
    if (record.existedBefore && previous.open(QIODevice::ReadOnly | QIODevice::Text))
        record.contentBefore = previous.readAll();
    // Unbuffered: every line reaches the operating system before the change it records is
    // made, so it survives the process being killed.
    const QIODevice::OpenMode start = keepExisting ? QIODevice::Append : QIODevice::Truncate;
    return record.file.open(QIODevice::WriteOnly | start | QIODevice::Text | QIODevice::Unbuffered);
}

bool MountRecords::append(Record which, const QString &path)
{
    Stream &record = stream(which);
    if (!record.file.isOpen() && !open(record))
        return false;
    const qint64 start = record.file.pos();
    const QByteArray bytes = path.toUtf8() + '\n';
    if (record.file.write(bytes) != bytes.size()) {
        record.file.resize(start);
        record.file.seek(start);
        return false;
    }
    record.lastLineStart = start;
    return true;
}

bool MountRecords::takeBack(Record which)
{
    Stream &record = stream(which);
    if (!record.file.isOpen() || record.lastLineStart < 0)
        return false;
    const qint64 start = record.lastLineStart;
    record.lastLineStart = -1;
    if (start > 0)
        return record.file.resize(start) && record.file.seek(start);
    // The only line so far: give the file back what it held before it was truncated, or remove
    // it again if there was none.
    bool restored = record.file.resize(0) && record.file.seek(0);
    if (restored && !record.contentBefore.isEmpty())
        restored = record.file.write(record.contentBefore) == record.contentBefore.size();
    record.file.close();
    if (!record.existedBefore)
        restored = record.file.remove();
    record.contentBefore.clear();
    return restored;
}

void MountRecords::closeStream(Stream &record)
{
    record.file.close();
    record.contentBefore.clear();
    record.lastLineStart = -1;
}

void MountRecords::close()
{
    closeStream(placed);
    closeStream(backups);
}

MountRecords::Lines MountRecords::read(Record record) const
{
    Lines lines;
    LineReader reader(toUtf8(fileName(record)));
    lines.readable = reader.isReadable();
    while (reader.next())
        if (!reader.line.empty())
            lines.paths.push_back(reader.line);
    return lines;
}

bool MountRecords::keepOnly(Record which, const std::vector<std::string> &paths)
{
    // The record is replaced as a whole: a stream still open on it would write to the old one.
    closeStream(stream(which));
    QByteArray content;
    for (const std::string &path : paths) {
        content.append(path.data(), int(path.size()));
        content.append('\n');
    }
    QSaveFile record(fileName(which));
    if (!record.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    if (record.write(content) != content.size()) {
        record.cancelWriting();
        return false;
    }
    return record.commit();
}

bool MountRecords::listsEntries() const
{
    for (const Record which : {Record::Placed, Record::Backups}) {
        // Up to the first character that is no line end.
        QFile record(fileName(which));
        if (!record.open(QIODevice::ReadOnly))
            continue;
        while (!record.atEnd())
            if (!record.read(4096).trimmed().isEmpty())
                return true;
    }
    return false;
}

QString MountRecords::modOfPlacedLinks(const QString &modsFolder) const
{
    const QString mods = modsFolder + QLatin1Char('/');
    LineReader reader(toUtf8(fileName(Record::Placed)));
    while (reader.next()) {
        const QString target = QFileInfo(fromUtf8(reader.line)).symLinkTarget();
        if (!target.startsWith(mods, PathNames::pathCase))
            continue;
        const QString mod = target.mid(mods.size()).section(QLatin1Char('/'), 0, 0);
        if (PathNames::isStorableModName(mod))
            return mod;
    }
    return QString();
}
