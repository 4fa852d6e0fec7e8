#include "unmountjournal.h"

#include "linereader.h"
#include "utf8.h"

namespace
{

const char removeWord[] = "remove ";
const char restoreWord[] = "restore ";

} // namespace

UnmountJournal::UnmountJournal(const QString &path) : file(path)
{
    LineReader reader(toUtf8(path));
    while (reader.next())
        if (!reader.line.empty())
            started.insert(QByteArray(reader.line.data(), int(reader.line.size())));
}

QByteArray UnmountJournal::entry(Step step, const std::string &line)
{
    return QByteArray(step == Remove ? removeWord : restoreWord) +
           QByteArray(line.data(), int(line.size()));
}

bool UnmountJournal::wasStarted(Step step, const std::string &line) const
{
    return started.contains(entry(step, line));
}

void UnmountJournal::note(Step step, const std::vector<const std::string *> &lines)
{
    if (lines.empty())
        return;
    // Appended, never truncated: what an interrupted unmount noted stays true until the
    // records have been rewritten.
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text |
                                     QIODevice::Unbuffered))
        return;
    QByteArray batch;
    for (const std::string *line : lines)
        batch += entry(step, *line) + '\n';
    file.write(batch);
}

void UnmountJournal::clear()
{
    file.close();
    if (file.exists())
        file.remove();
    started.clear();
}
