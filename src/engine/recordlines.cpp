#include "recordlines.h"

#include "linereader.h"
#include "utf8.h"

RecordLines RecordLines::read(const QString &path)
{
    RecordLines record;
    LineReader reader(toUtf8(path));
    record.path = path;
    record.readable = reader.isReadable();
    while (reader.next())
        if (!reader.line.empty())
            record.lines.push_back(reader.line);
    return record;
}
