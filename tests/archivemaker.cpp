#include "archivemaker.h"

#include <QFile>

#include <QTextCodec>

#include <archive.h>
#include <archive_entry.h>

#ifndef Q_OS_WIN
#include "threadcharacterset.h"
#endif

#include <memory>

namespace ArchiveMaker
{

namespace
{

using Writer = std::unique_ptr<archive, int (*)(archive *)>;

bool validUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

Writer open(const QString &path, const QString &format, const QByteArray &password,
            bool utf8Names = false)
{
    Writer writer(archive_write_new(), archive_write_free);
    archive *w = writer.get();
    bool ok = true;
    if (format == "zip")
        ok = archive_write_set_format_zip(w) == ARCHIVE_OK;
    else if (format == "7z")
        ok = archive_write_set_format_7zip(w) == ARCHIVE_OK;
    else
        ok = archive_write_set_format_pax_restricted(w) == ARCHIVE_OK;
    if (format == "tar.gz")
        ok = ok && archive_write_add_filter_gzip(w) == ARCHIVE_OK;
    else if (format == "tar.xz")
        ok = ok && archive_write_add_filter_xz(w) == ARCHIVE_OK;
    else if (format == "tar.bz2")
        ok = ok && archive_write_add_filter_bzip2(w) == ARCHIVE_OK;
    if (utf8Names && format == "zip")
        ok = ok && archive_write_set_options(w, "zip:hdrcharset=UTF-8") == ARCHIVE_OK;
    if (!password.isEmpty())
        ok = ok && archive_write_set_options(w, "zip:encryption=zipcrypt") == ARCHIVE_OK &&
             archive_write_set_passphrase(w, password.constData()) == ARCHIVE_OK;
    if (!ok || archive_write_open_filename(w, QFile::encodeName(path).constData()) != ARCHIVE_OK)
        return Writer(nullptr, archive_write_free);
    return writer;
}

bool add(archive *w, const Entry &entry)
{
    std::unique_ptr<archive_entry, void (*)(archive_entry *)> header(archive_entry_new(),
                                                                     archive_entry_free);
    archive_entry *e = header.get();
#ifdef Q_OS_WIN
    // Windows hands names to libarchive as UTF-16; bytes that are no UTF-8 go in as they are.
    if (validUtf8(entry.name))
        archive_entry_copy_pathname_w(
            e, reinterpret_cast<const wchar_t *>(QString::fromUtf8(entry.name).utf16()));
    else
        archive_entry_copy_pathname(e, entry.name.constData());
#else
    archive_entry_copy_pathname(e, entry.name.constData());
#endif
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 1700000000, 0);
    switch (entry.type) {
    case Entry::File:
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_size(e, entry.content.size());
        break;
    case Entry::Folder:
        archive_entry_set_filetype(e, AE_IFDIR);
        archive_entry_set_perm(e, 0755);
        break;
    case Entry::SymbolicLink:
        archive_entry_set_filetype(e, AE_IFLNK);
        archive_entry_copy_symlink(e, entry.target.constData());
        break;
    case Entry::HardLink:
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_copy_hardlink(e, entry.target.constData());
        break;
    case Entry::Fifo:
        archive_entry_set_filetype(e, AE_IFIFO);
        break;
    }
    if (archive_write_header(w, e) != ARCHIVE_OK)
        return false;
    if (entry.type == Entry::File && !entry.content.isEmpty())
        return archive_write_data(w, entry.content.constData(), size_t(entry.content.size())) ==
               entry.content.size();
    return true;
}

} // namespace

bool write(const QString &path, const QString &format, const QList<Entry> &entries,
           const QByteArray &password)
{
    bool utf8 = true;
    for (const Entry &entry : entries)
        utf8 = utf8 && validUtf8(entry.name);
#ifndef Q_OS_WIN
    // Names all valid UTF-8 go in as UTF-8 (the archive then says so); others as bytes.
    const ThreadCharacterSet names(utf8 ? "C.UTF-8" : "C");
#endif
    Writer writer = open(path, format, password, utf8);
    if (!writer)
        return false;
    for (const Entry &entry : entries)
        if (!add(writer.get(), entry))
            return false;
    return archive_write_close(writer.get()) == ARCHIVE_OK;
}

bool writeZeros(const QString &path, int megabytes)
{
    Writer writer = open(path, "zip", QByteArray());
    if (!writer)
        return false;
    std::unique_ptr<archive_entry, void (*)(archive_entry *)> header(archive_entry_new(),
                                                                     archive_entry_free);
    archive_entry_copy_pathname(header.get(), "zeros.bin");
    archive_entry_set_filetype(header.get(), AE_IFREG);
    archive_entry_set_perm(header.get(), 0644);
    archive_entry_set_size(header.get(), la_int64_t(megabytes) * 1024 * 1024);
    if (archive_write_header(writer.get(), header.get()) != ARCHIVE_OK)
        return false;
    const QByteArray zeros(1024 * 1024, '\0');
    for (int i = 0; i < megabytes; ++i)
        if (archive_write_data(writer.get(), zeros.constData(), size_t(zeros.size())) !=
            zeros.size())
            return false;
    return archive_write_close(writer.get()) == ARCHIVE_OK;
}

} // namespace ArchiveMaker
