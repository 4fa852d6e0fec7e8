#pragma once

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>

#include <string>
#include <vector>

// Notes which record lines an unmount is about to undo, before it undoes them. The records
// themselves are rewritten only at the end of each pass, so an unmount killed part way leaves
// them listing entries it had already undone; the next unmount reads the journal and knows those
// entries as done instead of missing. Lines are noted in batches, one write each: a line noted
// but not reached yet is simply undone as usual.
class UnmountJournal
{
public:
    enum Step { Remove, Restore };

    // Reads what an interrupted unmount left in the journal at `path`.
    explicit UnmountJournal(const QString &path);

    UnmountJournal(const UnmountJournal &) = delete;
    UnmountJournal &operator=(const UnmountJournal &) = delete;

    // True when an earlier unmount noted `line` for `step` and may have carried it out.
    bool wasStarted(Step step, const std::string &line) const;
    // Notes the lines, in one write, before any of them is worked on. A journal that cannot be
    // written costs only that knowledge, so the unmount goes on without it.
    void note(Step step, const std::vector<const std::string *> &lines);
    // Called once the records are current again: then nothing in the journal is needed.
    void clear();

private:
    static QByteArray entry(Step step, const std::string &line);

    QFile file;
    QSet<QByteArray> started;
};
