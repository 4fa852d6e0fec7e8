#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>

// The size and file count of a folder as the mod list shows them, in one walk that asks the
// system about each entry once.
namespace FolderMeasure
{

struct Totals {
    qint64 bytes = 0;
    qint64 files = 0;
};

// Everything a Delete would remove counts: every entry that is not a folder is one file, hidden
// ones too. A link of any kind is one file of 0 bytes and is never followed (its target's size
// is not the mod's); only real subfolders are walked. A folder that cannot be read adds nothing,
// a missing one gives 0 and 0. `stop` is looked at for each entry; a stopped walk returns what it
// had counted.
Totals of(const QString &folder, const std::atomic<bool> &stop);

} // namespace FolderMeasure
