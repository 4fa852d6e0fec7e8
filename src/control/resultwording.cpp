#include "resultwording.h"

#include "fileoutcome.h"
#include "utf8.h"

#include <QDir>
#include <QStringList>

namespace ResultWording
{

namespace
{

// Whether the game folder still holds what the records say.
QString checkSummary(const OperationResult &result)
{
    if (result.aborted)
        return QStringLiteral("Checking ") + result.modName + QStringLiteral(": aborted.");
    if (!result.counts.hasProblems())
        return result.modName + QStringLiteral(" matches its records.");
    return result.modName + QStringLiteral(" differs from its records. [") +
           QStringLiteral("%0 files as mounted, %1 files changed, %2 files missing]")
               .arg(result.counts.done)
               .arg(result.counts.failed)
               .arg(result.counts.missing);
}

} // namespace

QString counted(const OutcomeCounts &counts, const QString &doneWord, const QString &keptWords)
{
    QString text = QStringLiteral("%0 files %1").arg(counts.done).arg(doneWord);
    if (counts.failed > 0)
        text += QStringLiteral(", %0 files failed").arg(counts.failed);
    if (counts.missing > 0)
        text += QStringLiteral(", %0 files missing").arg(counts.missing);
    if (counts.kept > 0)
        text += QStringLiteral(", %0 ").arg(counts.kept) + keptWords;
    return text;
}

ActionWords actionWords(Operation operation)
{
    switch (operation) {
    case Operation::Mount:
        return {QStringLiteral("Mounting"), QStringLiteral("mounted"), QStringLiteral("mount"),
                QString()};
    case Operation::Unmount:
        return {QStringLiteral("Unmounting"), QStringLiteral("unmounted"),
                QStringLiteral("unmount"), QStringLiteral("earlier game files kept")};
    case Operation::Add:
        return {QStringLiteral("Adding"), QStringLiteral("added"), QStringLiteral("add"),
                QString()};
    case Operation::Delete:
        return {QStringLiteral("Deleting"), QStringLiteral("deleted"), QStringLiteral("delete"),
                QString()};
    case Operation::Check:
        return {QStringLiteral("Checking"), QStringLiteral("checked"), QStringLiteral("check"),
                QString()};
    case Operation::Repair:
        return {QStringLiteral("Repairing"), QStringLiteral("repaired"), QStringLiteral("repair"),
                QStringLiteral("game files set aside")};
    case Operation::Preview:
        return {QStringLiteral("Previewing"), QStringLiteral("previewed"),
                QStringLiteral("preview"), QString()};
    }
    return {};
}

QString statusSummary(const OperationResult &result)
{
    if (result.operation == Operation::Check)
        return checkSummary(result);
    // What it found is in its dialog.
    if (result.operation == Operation::Preview && !result.aborted)
        return result.modName + QStringLiteral(" previewed.");
    const ActionWords words = actionWords(result.operation);
    const OutcomeCounts &counts = result.counts;
    const QString &modName = result.modName;
    const bool problems = counts.hasProblems();
    // An unmount that left anything behind has not unmounted the mod; one that had nothing left
    // to undo has ended the mount all the same. A delete that failed on anything left the mod.
    const bool unmounting = result.operation == Operation::Unmount;
    const bool leftBehind =
        (unmounting && problems) || (result.operation == Operation::Delete && counts.failed > 0);
    QString head;
    if (result.aborted) {
        head = words.ongoing + QLatin1Char(' ') + modName + QStringLiteral(": aborted.");
    } else if (problems && result.forced) {
        head = modName + QLatin1Char(' ') + words.past + QLatin1Char('.');
    } else if ((counts.done > 0 || unmounting) && !leftBehind) {
        head = modName + QLatin1Char(' ') + words.past + QLatin1Char('.');
        if (!counts.hasReports())
            return head;
    } else if (problems) {
        head = QStringLiteral("Failed to ") + words.verb + QLatin1Char(' ') + modName +
               QLatin1Char('.');
    } else {
        return QStringLiteral("No files to ") + words.verb + QLatin1Char('.');
    }
    return head + QStringLiteral(" [") + counted(counts, words.past, words.kept) + QLatin1Char(']');
}

std::string errorRecord(Operation operation, const OutcomeCounts &counts, bool aborted)
{
    const ActionWords words = actionWords(operation);
    QString head;
    if (aborted)
        head = words.ongoing + QStringLiteral(" aborted");
    else if (counts.done > 0 && !(operation == Operation::Unmount && counts.hasProblems()))
        head = words.past.left(1).toUpper() + words.past.mid(1);
    else
        head = words.ongoing + QStringLiteral(" failed");
    return toUtf8(head + QStringLiteral(": ") + counted(counts, words.past, words.kept));
}

QString mountedWarning(const QString &errorRecords)
{
    QStringList parts = errorRecords.split(QLatin1Char(';'));
    parts.removeAll(QString());
    if (parts.isEmpty())
        return QString();
    QString tip = QStringLiteral("Warning:");
    for (int i = 0; i < parts.size(); ++i) {
        // Only a repeat of the part right before is left out; numbers keep their positions.
        if (i > 0 && parts[i] == parts[i - 1])
            continue;
        tip += QStringLiteral("\n(") + QString::number(i + 1) + QStringLiteral(") ") + parts[i];
    }
    return tip;
}

QString mountedWay(bool hardLinks)
{
    return hardLinks ? QStringLiteral("Mounted with hard links.")
                     : QStringLiteral("Mounted with symbolic links.");
}

QString saveFailure(const std::string &configPath)
{
    return QStringLiteral("Failed to save settings: ") +
           QDir::toNativeSeparators(fromUtf8(configPath));
}

} // namespace ResultWording
