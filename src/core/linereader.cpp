#include "linereader.h"

#include <QFileInfo>

LineReader::LineReader(const std::string &path)
{
    const QString qpath = QString::fromUtf8(path.data(), int(path.size()));
    const QFileInfo info(qpath);
    if (!info.exists() || !info.isFile())
        return;
    missing = false;
    file.setFileName(qpath);
    // A failed open is remembered by the file itself; next() then yields nothing.
    file.open(QIODevice::ReadOnly);
}

LineReader::~LineReader() = default;

bool LineReader::next()
{
    if (missing)
        return false;
    if (!file.isOpen() || exhausted) {
        file.close();
        return false;
    }
    line.clear();
    if (file.atEnd()) {
        // Nothing left: this is the one trailing empty line, and the last true.
        exhausted = true;
        return true;
    }
    QByteArray bytes = file.readLine();
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError) {
        exhausted = true;
        return true;
    }
    if (bytes.endsWith('\n')) {
        bytes.chop(1);
        // Windows line ends: the carriage return belongs to the line end, not to the text.
        if (bytes.endsWith('\r'))
            bytes.chop(1);
    }
    line.assign(bytes.constData(), size_t(bytes.size()));
    return true;
}
