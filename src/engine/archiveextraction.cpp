#include "archiveextraction.h"

#include "archivenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#ifndef Q_OS_WIN
#include "threadcharacterset.h"
#endif

#include <memory>
#include <utility>

namespace
{

const qint64 blockBytes = 256 * 1024;

QString fromRawName(archive_entry *entry)
{
    const char *raw = archive_entry_pathname(entry);
    return raw ? ArchiveNames::decode(QByteArray(raw)) : QString();
}

#ifdef Q_OS_WIN
// On Windows libarchive hands a zip's names to the program in the system's code page. Read as
// UTF-8, a name the zip marks so or that is valid UTF-8 comes out whole; any other is left
// empty here, and its bytes are CP437. By entry, in the zip's order.
QStringList zipNamesReadAsUtf8(const QString &path)
{
    QStringList names;
    std::unique_ptr<archive, int (*)(archive *)> reader(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(reader.get());
    if (archive_read_set_options(reader.get(), "zip:hdrcharset=UTF-8") != ARCHIVE_OK ||
        archive_read_open_filename_w(reader.get(), reinterpret_cast<const wchar_t *>(path.utf16()),
                                     size_t(blockBytes)) != ARCHIVE_OK)
        return names;
    archive_entry *entry = nullptr;
    for (;;) {
        const int header = archive_read_next_header(reader.get(), &entry);
        if (header != ARCHIVE_OK && header != ARCHIVE_WARN)
            break;
        const wchar_t *wide = header == ARCHIVE_OK ? archive_entry_pathname_w(entry) : nullptr;
        names << (wide ? QString::fromWCharArray(wide) : QString());
    }
    return names;
}
#endif

} // namespace

ArchiveExtraction::ArchiveExtraction(WorkerParts::Report reportTo, Amount amountTo,
                                     const std::atomic<bool> &abortFlag)
    : report(std::move(reportTo)), amount(std::move(amountTo)), aborted(abortFlag)
{
}

void ArchiveExtraction::tellAmount(archive *reader, const OutcomeCounts &counts)
{
    // Compressed bytes read so far: the archive's own size is the total, known without a
    // second read of it.
    amount(counts.done, qint64(archive_filter_bytes(reader, -1)), archiveBytes);
}

ArchiveExtraction::Result ArchiveExtraction::run(const QString &path, const QString &folder)
{
#ifndef Q_OS_WIN
    // libarchive hands out a name it knows to be UTF-8 in the thread's character set, and none
    // at all where that is plain ASCII.
    const ThreadCharacterSet names("C.UTF-8");
#endif
    archivePath = path;
    archiveBytes = QFileInfo(path).size();
    Result result;
    int entryIndex = 0;
#ifdef Q_OS_WIN
    QStringList zipNames;
#endif
    std::unique_ptr<archive, int (*)(archive *)> reader(archive_read_new(), archive_read_free);
    // The formats mods are shipped in; not every format the library knows (a text file would
    // pass for an mtree description).
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_rar5(reader.get());
    archive_read_support_format_tar(reader.get());
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_filter_xz(reader.get());
    archive_read_support_filter_bzip2(reader.get());
#ifdef Q_OS_WIN
    const int opened = archive_read_open_filename_w(
        reader.get(), reinterpret_cast<const wchar_t *>(path.utf16()), size_t(blockBytes));
#else
    const int opened = archive_read_open_filename(reader.get(), QFile::encodeName(path).constData(),
                                                  size_t(blockBytes));
#endif
    if (opened != ARCHIVE_OK) {
        readFailure(reader.get());
        result.counts.add(Failed);
        return result;
    }
    for (;;) {
        if (aborted)
            return result;
        archive_entry *entry = nullptr;
        const int header = archive_read_next_header(reader.get(), &entry);
        if (header == ARCHIVE_EOF)
            break;
        if (header < ARCHIVE_WARN) {
            readFailure(reader.get());
            result.counts.add(Failed);
            return result;
        }
        QString name;
#ifdef Q_OS_WIN
        // Only a zip's headers are read twice: it keeps them together at its end.
        if (entryIndex == 0 &&
            (archive_format(reader.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP)
            zipNames = zipNamesReadAsUtf8(path);
        if (entryIndex < zipNames.size() && !zipNames[entryIndex].isEmpty())
            name = QString(zipNames[entryIndex]).replace(QLatin1Char('\\'), QLatin1Char('/'));
        else if (zipNames.isEmpty())
            if (const wchar_t *wide = archive_entry_pathname_w(entry))
                name = QString::fromWCharArray(wide).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (name.isEmpty())
            name = fromRawName(entry);
#else
        name = fromRawName(entry);
#endif
        ++entryIndex;
        if (extractEntry(reader.get(), entry, name, folder, result.counts) == Step::Stop)
            return result;
    }
    result.complete = !aborted;
    // The last block read may end before the archive does (a zip's index, padding): a whole
    // archive is all of it, whatever the reader counted.
    if (result.complete)
        amount(result.counts.done, archiveBytes, archiveBytes);
    return result;
}

ArchiveExtraction::Step ArchiveExtraction::extractEntry(archive *reader, archive_entry *entry,
                                                        const QString &name, const QString &folder,
                                                        OutcomeCounts &counts)
{
    report(name, false);
    auto refuse = [&](const QString &why) {
        report(why + name, true);
        counts.add(Failed);
        return Step::Next;
    };
    switch (ArchiveNames::judge(name)) {
    case ArchiveNames::Verdict::Unsafe:
        return refuse(QStringLiteral("Refused unsafe path in archive: "));
    case ArchiveNames::Verdict::BadName:
        return refuse(QStringLiteral("Refused name in archive: "));
    case ArchiveNames::Verdict::Fine:
        break;
    }
    const mode_t type = archive_entry_filetype(entry);
    if (archive_entry_hardlink(entry) || (type != AE_IFREG && type != AE_IFDIR))
        return refuse(QStringLiteral("Refused link or special entry in archive: "));
    if (archive_entry_is_encrypted(entry))
        return refuse(QStringLiteral("Archive entry needs a password: "));
    const QString relative = ArchiveNames::clean(name);
    if (relative.isEmpty())
        return Step::Next; // the archive's own top, "./"
    if (clashes(relative))
        return refuse(QStringLiteral(
            "Refused name in archive (same as another entry but for letter case): "));

    const QString target = folder + QLatin1Char('/') + relative;
    if (type == AE_IFDIR) {
        if (!QDir().mkpath(target)) {
            report(QStringLiteral("Failed to create folder: ") + target, true);
            counts.add(Failed);
            return Step::Stop;
        }
        return Step::Next;
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        report(QStringLiteral("Failed to create folder: ") + QFileInfo(target).absolutePath(),
               true);
        counts.add(Failed);
        return Step::Stop;
    }
    return writeFile(reader, target, counts);
}

ArchiveExtraction::Step ArchiveExtraction::writeFile(archive *reader, const QString &path,
                                                     OutcomeCounts &counts)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(file, counts);
    QByteArray block(int(blockBytes), Qt::Uninitialized);
    for (;;) {
        // A highly compressed entry can be huge: an abort must not wait for its end.
        if (aborted)
            return Step::Stop;
        const la_ssize_t got = archive_read_data(reader, block.data(), size_t(block.size()));
        if (got == 0)
            break;
        if (got < 0) {
            readFailure(reader);
            counts.add(Failed);
            return Step::Stop;
        }
        tellAmount(reader, counts);
        if (file.write(block.constData(), got) != got)
            return writeFailure(file, counts);
    }
    if (!file.flush())
        return writeFailure(file, counts);
    counts.add(Done);
    tellAmount(reader, counts);
    return Step::Next;
}

ArchiveExtraction::Step ArchiveExtraction::writeFailure(const QFile &file, OutcomeCounts &counts)
{
    report(QStringLiteral("Failed to write file: ") + file.fileName() + QStringLiteral(" (") +
               file.errorString() + QLatin1Char(')'),
           true);
    counts.add(Failed);
    return Step::Stop;
}

bool ArchiveExtraction::clashes(const QString &relative)
{
    // The entry and each of its folders: "a/x" and "A/y" would be one folder on Windows.
    for (int slash = relative.indexOf(QLatin1Char('/'));;
         slash = relative.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = slash < 0 ? relative : relative.left(slash);
        const auto found = written.constFind(part.toCaseFolded());
        if (found == written.constEnd())
            written.insert(part.toCaseFolded(), part);
        else if (*found != part)
            return true;
        if (slash < 0)
            return false;
    }
}

void ArchiveExtraction::readFailure(archive *reader)
{
    const char *message = archive_error_string(reader);
    report(QStringLiteral("Failed to read archive: ") + archivePath + QStringLiteral(" (") +
               QString::fromUtf8(message ? message : "unknown error") + QLatin1Char(')'),
           true);
}
