#include "mountrecords.h"

#include "linereader.h"
#include "pathnames.h"
#include "utf8.h"

#include <QFileInfo>
#include <QSaveFile>

#include <unordered_map>

namespace
{

// A symbolic link's line is its path alone, as in records of earlier versions. Every other
// line starts with a word and a tab: recorded paths are absolute, so none starts that way.
const std::string hardLinkWord = "hardlink\t";
const std::string identityWord = "identity\t";
const std::string folderWord = "folder\t";

bool startsWith(const std::string &line, const std::string &word)
{
    return line.compare(0, word.size(), word) == 0;
}

std::string identityText(const HardLink::Identity &identity)
{
    return QByteArray::number(qulonglong(identity.volume), 16).toStdString() + ':' +
           QByteArray::number(qulonglong(identity.file), 16).toStdString();
}

HardLink::Identity identityFrom(const std::string &text)
{
    HardLink::Identity identity;
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return identity;
    bool volumeRead = false;
    bool fileRead = false;
    identity.volume = QByteArray::fromStdString(text.substr(0, colon)).toULongLong(&volumeRead, 16);
    identity.file = QByteArray::fromStdString(text.substr(colon + 1)).toULongLong(&fileRead, 16);
    identity.known = volumeRead && fileRead;
    return identity;
}

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), int(text.size()));
}

} // namespace

// Gathers the entries of a placed record line by line, one per path.
class MountRecords::Reading
{
public:
    void add(const std::string &line)
    {
        if (line.empty())
            return;
        if (startsWith(line, hardLinkWord))
            place(PlacedKind::HardLink, line.substr(hardLinkWord.size()));
        else if (startsWith(line, folderWord))
            place(PlacedKind::Folder, line.substr(folderWord.size()));
        else if (startsWith(line, identityWord))
            identify(line.substr(identityWord.size()));
        else
            place(PlacedKind::SymbolicLink, line);
    }
    std::vector<Placed> entries;

private:
    void place(PlacedKind kind, const std::string &path)
    {
        const auto known = indexOf.find(path);
        if (known == indexOf.end()) {
            indexOf.emplace(path, entries.size());
            entries.push_back(Placed{kind, path, HardLink::Identity()});
            return;
        }
        // The entry placed again: what it was before no longer counts.
        entries[known->second] = Placed{kind, path, HardLink::Identity()};
    }
    void identify(const std::string &rest)
    {
        const size_t tab = rest.find('\t');
        if (tab == std::string::npos)
            return;
        const auto known = indexOf.find(rest.substr(tab + 1));
        if (known != indexOf.end() && entries[known->second].kind == PlacedKind::HardLink)
            entries[known->second].identity = identityFrom(rest.substr(0, tab));
    }

    std::unordered_map<std::string, size_t> indexOf;
};

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

QString MountRecords::writeFailure(Record record) const
{
    return QStringLiteral("Failed to write record file: ") + fileName(record);
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

bool MountRecords::appendLine(Record which, const QByteArray &line)
{
    Stream &record = stream(which);
    if (!record.file.isOpen() && !open(record))
        return false;
    const qint64 start = record.file.pos();
    const QByteArray written = record.pending + line + '\n';
    if (record.file.write(written) != written.size()) {
        record.file.resize(start);
        record.file.seek(start);
        return false;
    }
    record.lastLineStart = start + record.pending.size();
    record.pending.clear();
    return true;
}

bool MountRecords::appendBackup(const QString &path)
{
    return appendLine(Record::Backups, path.toUtf8());
}

bool MountRecords::appendPlaced(PlacedKind kind, const QString &path)
{
    switch (kind) {
    case PlacedKind::SymbolicLink:
        return appendLine(Record::Placed, path.toUtf8());
    case PlacedKind::HardLink:
        return appendLine(Record::Placed, bytes(hardLinkWord) + path.toUtf8());
    case PlacedKind::Folder:
        return appendLine(Record::Placed, bytes(folderWord) + path.toUtf8());
    }
    return false;
}

bool MountRecords::appendIdentity(const QString &path, const HardLink::Identity &identity)
{
    if (!identity.known || !placed.file.isOpen())
        return false;
    placed.pending += bytes(identityWord + identityText(identity)) + '\t' + path.toUtf8() + '\n';
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
    // What waited for a next line is lost only with the process.
    if (record.file.isOpen() && !record.pending.isEmpty())
        record.file.write(record.pending);
    record.pending.clear();
    record.file.close();
    record.contentBefore.clear();
    record.lastLineStart = -1;
}

MountRecords::~MountRecords()
{
    close();
}

void MountRecords::close()
{
    closeStream(placed);
    closeStream(backups);
}

MountRecords::PlacedEntries MountRecords::readPlaced() const
{
    PlacedEntries read;
    LineReader reader(toUtf8(fileName(Record::Placed)));
    read.readable = reader.isReadable();
    Reading lines;
    while (reader.next())
        lines.add(reader.line);
    read.entries = std::move(lines.entries);
    return read;
}

MountRecords::Lines MountRecords::readBackups() const
{
    Lines lines;
    LineReader reader(toUtf8(fileName(Record::Backups)));
    lines.readable = reader.isReadable();
    while (reader.next())
        if (!reader.line.empty())
            lines.paths.push_back(reader.line);
    return lines;
}

QByteArray MountRecords::placedText(const std::vector<Placed> &entries)
{
    QByteArray text;
    for (const Placed &entry : entries) {
        const QByteArray path = bytes(entry.path);
        switch (entry.kind) {
        case PlacedKind::SymbolicLink:
            text += path + '\n';
            break;
        case PlacedKind::HardLink:
            text += bytes(hardLinkWord) + path + '\n';
            if (entry.identity.known)
                text += bytes(identityWord + identityText(entry.identity)) + '\t' + path + '\n';
            break;
        case PlacedKind::Folder:
            text += bytes(folderWord) + path + '\n';
            break;
        }
    }
    return text;
}

std::vector<MountRecords::Placed> MountRecords::placedFrom(const QByteArray &text)
{
    Reading lines;
    for (const QByteArray &line : text.split('\n'))
        lines.add(line.toStdString());
    return std::move(lines.entries);
}

bool MountRecords::keepOnlyPlaced(const std::vector<Placed> &entries)
{
    return replaceWith(Record::Placed, placedText(entries));
}

bool MountRecords::keepOnlyBackups(const std::vector<std::string> &paths)
{
    QByteArray content;
    for (const std::string &path : paths)
        content += bytes(path) + '\n';
    return replaceWith(Record::Backups, content);
}

bool MountRecords::replaceWith(Record which, const QByteArray &content)
{
    // The record is replaced as a whole: a stream still open on it would write to the old one.
    closeStream(stream(which));
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
    for (const Placed &entry : readPlaced().entries) {
        if (entry.kind != PlacedKind::SymbolicLink)
            continue;
        const QString target = QFileInfo(fromUtf8(entry.path)).symLinkTarget();
        if (!target.startsWith(mods, PathNames::pathCase))
            continue;
        const QString mod = target.mid(mods.size()).section(QLatin1Char('/'), 0, 0);
        if (PathNames::isStorableModName(mod))
            return mod;
    }
    return QString();
}
