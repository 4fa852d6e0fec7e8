#include "mountstate.h"

#include "configstore.h"
#include "fileoutcome.h"
#include "mountrecords.h"
#include "resultwording.h"
#include "scantext.h"
#include "utf8.h"

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

QString MountState::toolTip() const
{
    // The records are the truth of what the mount set aside.
    const size_t backups =
        MountRecords(fromUtf8(config->outFilesPath), fromUtf8(config->backupFilesPath))
            .readBackups()
            .paths.size();
    const QString way = ResultWording::mountedWay(config->get(ConfigKey::hardLinks) == "1") +
                        QStringLiteral("\nReplaces %0 game files.").arg(backups);
    const QString warnings = warning();
    return warnings.isEmpty() ? way : way + QLatin1Char('\n') + warnings;
}

QString MountState::warning() const
{
    return ResultWording::mountedWarning(value(ConfigKey::mountedError));
}

bool MountState::begin(const QString &modName, qint64 bytes, qint64 files)
{
    config->set(ConfigKey::mounted, toUtf8(modName));
    config->set(ConfigKey::mountedSize, toUtf8(ScanText::size(ScanText::megabytes(bytes))));
    config->set(ConfigKey::mountedCount, toUtf8(ScanText::files(files)));
    if (save())
        return true;
    // A mount nobody would remember after a restart is not made at all.
    forget();
    return false;
}

bool MountState::save()
{
    lastSaveOk = config->save();
    return lastSaveOk;
}

bool MountState::mountFinished(const OutcomeCounts &counts, bool aborted)
{
    // A mount that placed nothing is forgotten, unless a game entry it set aside could not be
    // put back: then the records still hold something an unmount has to undo.
    if (counts.done == 0 && !recordsListEntries()) {
        forget();
        save();
        return false;
    }
    if (!aborted && !counts.hasProblems())
        return false;
    config->set(ConfigKey::mountedError,
                ResultWording::errorRecord(Operation::Mount, counts, aborted));
    save();
    return true;
}

bool MountState::unmountFinished(const OutcomeCounts &counts, bool aborted, bool forced)
{
    // An aborted forced pass keeps what it did not reach on record, so the mount stays.
    const bool undone = !aborted && (forced || !counts.hasProblems());
    if (undone) {
        forget();
    } else {
        addErrorRecord(ResultWording::errorRecord(Operation::Unmount, counts, aborted));
    }
    save();
    return undone;
}

void MountState::repairFinished(const OutcomeCounts &counts, bool aborted)
{
    if (!aborted && !counts.hasProblems()) {
        config->erase(ConfigKey::mountedError);
    } else {
        addErrorRecord(ResultWording::errorRecord(Operation::Repair, counts, aborted));
    }
    save();
}

void MountState::addErrorRecord(const std::string &record)
{
    const std::string earlier = config->get(ConfigKey::mountedError);
    config->set(ConfigKey::mountedError, earlier.empty() ? record : earlier + ";" + record);
}

void MountState::forget()
{
    config->erase(ConfigKey::mounted);
    config->erase(ConfigKey::mountedSize);
    config->erase(ConfigKey::mountedCount);
    config->erase(ConfigKey::mountedError);
}

bool MountState::recordsListEntries() const
{
    return MountRecords(fromUtf8(config->outFilesPath), fromUtf8(config->backupFilesPath))
        .listsEntries();
}

QString MountState::unknownMod()
{
    return QStringLiteral("Unknown mod");
}

bool MountState::recoverFromRecords()
{
    if (isMounted() || !recordsListEntries())
        return false;
    const QString mod = modOfRecordedLinks();
    config->set(ConfigKey::mounted, toUtf8(mod.isEmpty() ? unknownMod() : mod));
    config->set(ConfigKey::mountedError, "Found records of a mount that was not saved");
    save();
    return true;
}

QString MountState::modOfRecordedLinks() const
{
    return MountRecords(fromUtf8(config->outFilesPath), fromUtf8(config->backupFilesPath))
        .modOfPlacedLinks(fromUtf8(config->modsPath));
}
