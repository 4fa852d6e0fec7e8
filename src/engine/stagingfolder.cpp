#include "stagingfolder.h"

#include "fileentry.h"

#include <QCoreApplication>
#include <QDir>

#include <atomic>

namespace StagingFolder
{

namespace
{

const QString prefix = QStringLiteral(".adding-");

// The staging folders of this process carry its number: those of a run that ended without
// cleaning up are told by theirs.
QString ownPrefix()
{
    return prefix + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-');
}

} // namespace

QString make(const QString &modsFolder)
{
    static std::atomic<int> made{0};
    if (!QDir().mkpath(modsFolder))
        return QString();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString folder =
            modsFolder + QLatin1Char('/') + ownPrefix() + QString::number(++made);
        if (QFileInfo::exists(folder) || !QDir().mkdir(folder))
            continue;
        EntryCalls::setHidden(FileEntry::nativePath(folder), true);
        return folder;
    }
    return QString();
}

QStringList leftovers(const QString &modsFolder)
{
    const QDir mods(modsFolder);
    QStringList found;
    for (const QString &name : mods.entryList({prefix + QLatin1Char('*')},
                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!name.startsWith(ownPrefix()))
            found << mods.filePath(name);
    return found;
}

void removeLeftovers(const QString &modsFolder)
{
    for (const QString &folder : leftovers(modsFolder))
        QDir(folder).removeRecursively();
}

} // namespace StagingFolder
