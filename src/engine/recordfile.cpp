#include "recordfile.h"

#include <QFileInfo>
#include <QSaveFile>

RecordFile::RecordFile(const QString &path) : file(path) {}

bool RecordFile::open()
{
    QFile previous(file.fileName());
    existedBeforeMount = QFileInfo(previous).isFile();
    if (existedBeforeMount && previous.open(QIODevice::ReadOnly | QIODevice::Text))
        contentBeforeMount = previous.readAll();
    // Unbuffered: every line reaches the operating system before the change it records is
    // made, so it survives the process being killed.
    const QIODevice::OpenMode start = keepExisting ? QIODevice::Append : QIODevice::Truncate;
    return file.open(QIODevice::WriteOnly | start | QIODevice::Text | QIODevice::Unbuffered);
}

bool RecordFile::append(const QByteArray &line)
{
    if (!file.isOpen() && !open())
        return false;
    const qint64 start = file.pos();
    const QByteArray bytes = line + '\n';
    if (file.write(bytes) != bytes.size()) {
        file.resize(start);
        file.seek(start);
        return false;
    }
    lastLineStart = start;
    return true;
}

bool RecordFile::takeBack()
{
    if (!file.isOpen() || lastLineStart < 0)
        return false;
    const qint64 start = lastLineStart;
    lastLineStart = -1;
    if (start == 0) {
        // The only line so far: give the file back what it held before it was truncated, or
        // remove it again if there was none.
        bool restored = file.resize(0) && file.seek(0);
        if (restored && !contentBeforeMount.isEmpty())
            restored = file.write(contentBeforeMount) == contentBeforeMount.size();
        file.close();
        if (!existedBeforeMount)
            restored = file.remove();
        contentBeforeMount.clear();
        return restored;
    }
    return file.resize(start) && file.seek(start);
}

void RecordFile::close()
{
    file.close();
    contentBeforeMount.clear();
    lastLineStart = -1;
}

bool RecordFile::rewrite(const QString &path, const QByteArray &lines)
{
    QSaveFile record(path);
    if (!record.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    if (record.write(lines) != lines.size()) {
        record.cancelWriting();
        return false;
    }
    return record.commit();
}
