#include "linereader.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

LineReader::LineReader(const std::string &path)
{
    const QString qpath = QString::fromUtf8(path.data(), int(path.size()));
    const QFileInfo info(qpath);
    if (!info.exists() || !info.isFile())
        return;
    missing = false;
    QFile file(qpath);
    // A file that cannot be opened yields nothing; one that fails part way, what was read.
    opened = file.open(QIODevice::ReadOnly);
    if (opened)
        content = file.readAll();
}

bool LineReader::next()
{
    if (!opened || exhausted)
        return false;
    line.clear();
    if (position >= content.size()) {
        // Nothing left: this is the one trailing empty line, and the last true.
        exhausted = true;
        content.clear();
        return true;
    }
    const char *start = content.constData() + position;
    const int left = content.size() - position;
    const void *lineFeed = std::memchr(start, '\n', size_t(left));
    if (!lineFeed) {
        line.assign(start, size_t(left));
        position = content.size();
        return true;
    }
    size_t length = size_t(static_cast<const char *>(lineFeed) - start);
    position += int(length) + 1;
    // Windows line ends: the carriage return belongs to the line end, not to the text.
    if (length > 0 && start[length - 1] == '\r')
        --length;
    line.assign(start, length);
    return true;
}
