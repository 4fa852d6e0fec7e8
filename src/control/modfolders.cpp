#include "modfolders.h"

#include "pathnames.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <utility>

namespace
{

// Leaves room below the system's path limits for the mod's own entries.
const int maxNameLength = 200;

} // namespace

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

QString ModFolders::nameRefusal(const QString &modName)
{
    // Windows players share mods: a name their system cannot hold is refused on every platform.
    if (modName.trimmed().isEmpty())
        return tr("Mod names cannot be empty.");
    if (modName.size() > maxNameLength)
        return tr("Mod names cannot be longer than %1 characters.").arg(maxNameLength);
    // A hidden folder would drop out of the list; a slash would leave the mods folder.
    if (modName.startsWith(QLatin1Char('.')) || !PathNames::isPlainFolderName(modName))
        return badNameText();
    if (PathNames::hasCharacterWindowsRefuses(modName) || !PathNames::fitsOnOneLine(modName))
        return tr("Mod names cannot contain < > : \" | ? * or control characters.");
    if (PathNames::isNameWindowsReserves(modName))
        return tr("Mod names cannot be a name Windows reserves or end with a dot or space.");
    return QString();
}

QString ModFolders::takenRefusal(const QString &modName, const QString &renamed) const
{
    // Any entry counts, not only a folder: a file of that name would block the new folder.
    const QString taken = tr("A mod with that name already exists.");
    if (QFileInfo::exists(pathOf(modName)) &&
        !PathNames::samePath(pathOf(modName), pathOf(renamed)))
        return taken;
    // Windows would see one folder under both names.
    if (PathNames::pathCase == Qt::CaseSensitive) {
        const QStringList names = QDir(modsPath).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QString &name : names)
            if (name != renamed && name.compare(modName, Qt::CaseInsensitive) == 0)
                return taken;
    }
    return QString();
}

QString ModFolders::newNameRefusal(const QString &modName) const
{
    const QString refusal = nameRefusal(modName);
    return refusal.isEmpty() ? takenRefusal(modName) : refusal;
}

QString ModFolders::renameRefusal(const QString &oldName, const QString &newName) const
{
    const QString refusal = nameRefusal(newName);
    return refusal.isEmpty() ? takenRefusal(newName, oldName) : refusal;
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
