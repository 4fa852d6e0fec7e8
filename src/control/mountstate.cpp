#include "mountstate.h"

#include "configstore.h"
#include "fileoutcome.h"
#include "resultwording.h"
#include "utf8.h"

#include <QFile>

MountState::MountState(ConfigStore *store) : config(store) {}

QString MountState::value(const char *key) const
{
    return fromUtf8(config->get(key));
}

QString MountState::mountedMod() const
{
    return value(ConfigKey::mounted);
}

bool MountState::isMounted() const
{
    return !config->get(ConfigKey::mounted).empty();
}

QString MountState::mountedSize() const
{
    return value(ConfigKey::mountedSize);
}

QString MountState::mountedCount() const
{
    return value(ConfigKey::mountedCount);
}

QString MountState::warning() const
{
    return ResultWording::mountedWarning(value(ConfigKey::mountedError));
}

void MountState::begin(const QString &modName, const QString &size, const QString &count)
{
    config->set(ConfigKey::mounted, toUtf8(modName));
    config->set(ConfigKey::mountedSize, toUtf8(size));
    config->set(ConfigKey::mountedCount, toUtf8(count));
    config->save();
}

bool MountState::mountFinished(const OutcomeCounts &counts, bool aborted)
{
    // A mount that placed nothing is forgotten, unless a game entry it set aside could not be
    // put back: then the records still hold something an unmount has to undo.
    if (counts.done == 0 && recordsAreEmpty()) {
        forget();
        config->save();
        return false;
    }
    if (!aborted && !counts.hasProblems())
        return false;
    config->set(ConfigKey::mountedError,
                ResultWording::errorRecord("Mounting", counts.done, counts.failed, counts.missing,
                                           aborted));
    config->save();
    return true;
}

bool MountState::unmountFinished(const OutcomeCounts &counts, bool aborted, bool forced)
{
    // An aborted forced pass keeps what it did not reach on record, so the mount stays.
    const bool undone = !aborted && (forced || !counts.hasProblems());
    if (undone) {
        forget();
    } else {
        const std::string record = ResultWording::errorRecord(
            "Unmounting", counts.done, counts.failed, counts.missing, aborted);
        const std::string earlier = config->get(ConfigKey::mountedError);
        config->set(ConfigKey::mountedError, earlier.empty() ? record : earlier + ";" + record);
    }
    config->save();
    return undone;
}

void MountState::forget()
{
    config->erase(ConfigKey::mounted);
    config->erase(ConfigKey::mountedSize);
    config->erase(ConfigKey::mountedCount);
    config->erase(ConfigKey::mountedError);
}

bool MountState::recordsAreEmpty() const
{
    for (const std::string &path : {config->outFilesPath, config->backupFilesPath}) {
        QFile record(fromUtf8(path));
        if (record.open(QIODevice::ReadOnly) && !record.readAll().trimmed().isEmpty())
            return false;
    }
    return true;
}
