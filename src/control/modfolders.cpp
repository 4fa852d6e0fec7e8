#include "modfolders.h"

#include "pathnames.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

ModFolders::ModFolders(QString modsFolder) : modsPath(std::move(modsFolder)) {}

QString ModFolders::pathOf(const QString &modName) const
{
    return modsPath + QLatin1Char('/') + modName;
}

QString ModFolders::addRefusal(const QString &chosen, const QString &gameFolder) const
{
    if (PathNames::liesWithin(chosen, modsPath) || PathNames::liesWithin(modsPath, chosen))
        return tr("Cannot add this folder: it is the mods folder, lies inside it or holds it.");
    if (PathNames::liesWithin(chosen, gameFolder) || PathNames::liesWithin(gameFolder, chosen))
        return tr("Cannot add this folder: it is the Warcraft III folder, lies inside it or "
                  "holds it.");
    return QString();
}

QString ModFolders::badNameText()
{
    return tr("Mod names cannot start with a dot or contain a slash or backslash.");
}

QString ModFolders::takenRefusal(const QString &modName) const
{
    // Any entry counts, not only a folder: a file of that name would block the new folder.
    if (QFileInfo::exists(pathOf(modName)))
        return tr("A mod with that name already exists.");
    return QString();
}

QString ModFolders::newNameRefusal(const QString &modName) const
{
    if (!PathNames::isStorableModName(modName) || modName.startsWith(QLatin1Char('.')))
        return badNameText();
    return takenRefusal(modName);
}

QString ModFolders::renameRefusal(const QString &oldName, const QString &newName) const
{
    // A hidden folder would drop out of the list; a slash would leave the mods folder.
    if (newName.startsWith(QLatin1Char('.')) || newName.contains(QLatin1Char('/')) ||
        newName.contains(QLatin1Char('\\')))
        return badNameText();
    // A name that could not be mounted later is refused now.
    if (!PathNames::isStorableModName(newName))
        return tr("Failed to rename mod.");
    // Only a change of letter case may name the same folder again.
    if (PathNames::samePath(pathOf(oldName), pathOf(newName)))
        return QString();
    return takenRefusal(newName);
}

bool ModFolders::rename(const QString &oldName, const QString &newName) const
{
    const QString from = pathOf(oldName);
    const QString to = pathOf(newName);
    if (!PathNames::samePath(from, to))
        return QDir().rename(from, to);
    // Only the letter case changes, where names match regardless of case: not every file
    // system renames that in place (Wine reports success and keeps the old name).
    const QString step = from + QStringLiteral(".renaming");
    if (QFileInfo::exists(step) || !QDir().rename(from, step))
        return false;
    if (QDir().rename(step, to))
        return true;
    QDir().rename(step, from);
    return false;
}
