#include "recordfile.h"

#include <QFileInfo>

RecordFile::RecordFile(const QString &path) : file(path) {}

bool RecordFile::open()
{
    QFile previous(file.fileName());
    existedBeforeMount = QFileInfo(previous).isFile();
    if (existedBeforeMount && previous.open(QIODevice::ReadOnly | QIODevice::Text))
        contentBeforeMount = previous.readAll();
    // Unbuffered: every line reaches the operating system before the change it records is
    // made, so it survives the process being killed.
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text |
                     QIODevice::Unbuffered);
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
