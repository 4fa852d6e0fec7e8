#include "resultwording.h"

#include "fileoutcome.h"
#include "utf8.h"

#include <QDir>
#include <QStringList>

namespace ResultWording
{

namespace
{

QString counts(const ActionWords &words, int done, int failed, int missing)
{
    QString text = QStringLiteral("%0 files %1").arg(done).arg(words.pAction);
    if (failed > 0)
        text += QStringLiteral(", %0 files failed").arg(failed);
    if (missing > 0)
        text += QStringLiteral(", %0 files missing").arg(missing);
    return text;
}

// Whether the game folder still holds what the records say.
QString checkSummary(const QString &modName, int done, int failed, int missing, bool aborted)
{
    if (aborted)
        return QStringLiteral("Checking ") + modName + QStringLiteral(": aborted.");
    if (!OutcomeCounts{done, failed, missing}.hasProblems())
        return modName + QStringLiteral(" matches its records.");
    return modName + QStringLiteral(" differs from its records. [") +
           QStringLiteral("%0 files as mounted, %1 files changed, %2 files missing]")
               .arg(done)
               .arg(failed)
               .arg(missing);
}

} // namespace

ActionWords actionWords(const QString &action)
{
    if (action == QLatin1String("Mounting"))
        return {QStringLiteral("mounted"), QStringLiteral("Mounted"), QStringLiteral("mount")};
    if (action == QLatin1String("Unmounting"))
        return {QStringLiteral("unmounted"), QStringLiteral("Unmounted"),
                QStringLiteral("unmount")};
    if (action == QLatin1String("Adding"))
        return {QStringLiteral("added"), QStringLiteral("Added"), QStringLiteral("add")};
    if (action == QLatin1String("Repairing"))
        return {QStringLiteral("repaired"), QStringLiteral("Repaired"), QStringLiteral("repair")};
    if (action == QLatin1String("Deleting"))
        return {QStringLiteral("deleted"), QStringLiteral("Deleted"), QStringLiteral("delete")};
    return {};
}

QString statusSummary(const QString &action, const QString &modName, int done, int failed,
                      int missing, bool aborted, bool forced)
{
    if (action == QLatin1String("Checking"))
        return checkSummary(modName, done, failed, missing, aborted);
    const ActionWords words = actionWords(action);
    const bool problems = OutcomeCounts{done, failed, missing}.hasProblems();
    const bool unmounting = action == QLatin1String("Unmounting");
    QString head;
    if (aborted) {
        head = action + QLatin1Char(' ') + modName + QStringLiteral(": aborted.");
    } else if (problems && forced) {
        head = modName + QLatin1Char(' ') + words.pAction + QLatin1Char('.');
    } else if (done > 0 && (!unmounting || !problems)) {
        head = modName + QLatin1Char(' ') + words.pAction + QLatin1Char('.');
        if (!problems)
            return head;
    } else if (problems) {
        head = QStringLiteral("Failed to ") + words.cAction + QLatin1Char(' ') + modName +
               QLatin1Char('.');
    } else {
        return QStringLiteral("No files to ") + words.cAction + QLatin1Char('.');
    }
    return head + QStringLiteral(" [") + counts(words, done, failed, missing) + QLatin1Char(']');
}

std::string errorRecord(const std::string &action, int done, int failed, int missing, bool aborted)
{
    const QString qaction = QString::fromStdString(action);
    const ActionWords words = actionWords(qaction);
    const bool problems = OutcomeCounts{done, failed, missing}.hasProblems();
    QString head;
    if (aborted)
        head = qaction + QStringLiteral(" aborted");
    else if (done > 0 && !(qaction == QLatin1String("Unmounting") && problems))
        head = words.pAction_c;
    else
        head = qaction + QStringLiteral(" failed");
    return (head + QStringLiteral(": ") + counts(words, done, failed, missing)).toStdString();
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

QString saveFailure(const std::string &configPath)
{
    return QStringLiteral("Failed to save settings: ") +
           QDir::toNativeSeparators(fromUtf8(configPath));
}

} // namespace ResultWording
