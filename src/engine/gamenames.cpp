#include "gamenames.h"

#include "fileentry.h"
#include "pathnames.h"

#include <QDir>

GameNames::GameNames() : listFolders(PathNames::pathCase == Qt::CaseSensitive) {}

GameNames::Listing &GameNames::listing(const QString &folder)
{
    auto found = folders.find(folder);
    if (found != folders.end())
        return *found;
    Listing &made = folders[folder];
    const QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    made.names.reserve(names.size());
    made.byFoldedName.reserve(names.size());
    for (const QString &name : names) {
        made.names.insert(name);
        made.byFoldedName.insert(name.toCaseFolded(), name);
    }
    return made;
}

QString GameNames::spelling(const QString &folder, const QString &name)
{
    if (!listFolders)
        return name;
    const Listing &entries = listing(folder);
    if (entries.names.contains(name))
        return name;
    return entries.byFoldedName.value(name.toCaseFolded(), name);
}

bool GameNames::taken(const QString &folder, const QString &name)
{
    if (!listFolders)
        return FileEntry::kindOf(folder + QLatin1Char('/') + name) != FileEntry::Kind::None;
    return listing(folder).byFoldedName.contains(name.toCaseFolded());
}

FileEntry::Kind GameNames::kindOf(const QString &folder, const QString &name)
{
    // Something made there since the listing makes the placing fail, which never replaces.
    if (listFolders && !listing(folder).names.contains(name))
        return FileEntry::Kind::None;
    return FileEntry::kindOf(folder + QLatin1Char('/') + name);
}

void GameNames::add(const QString &folder, const QString &name)
{
    if (!listFolders)
        return;
    Listing &entries = listing(folder);
    entries.names.insert(name);
    entries.byFoldedName.insert(name.toCaseFolded(), name);
}

void GameNames::addMadeFolder(const QString &folder)
{
    if (listFolders)
        folders.insert(folder, Listing());
}
