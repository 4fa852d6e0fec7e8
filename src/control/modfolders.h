#pragma once

#include <QCoreApplication>
#include <QString>

// The mods folder's rules for the folders in it: where a mod may be added from, which names a
// new or renamed mod may take, and renaming a mod's folder. Refusals come as the sentence the
// user reads; an empty text means the step may be tried.
class ModFolders
{
    Q_DECLARE_TR_FUNCTIONS(ModFolders)

public:
    explicit ModFolders(QString modsFolder);

    QString pathOf(const QString &modName) const;
    // The mods folder must not end up inside itself, nor be moved away, and the game folder
    // (with the mount's links and backups) never becomes a mod.
    QString addRefusal(const QString &chosen, const QString &gameFolder) const;
    // Why no mod can have this name, whatever the mods folder holds.
    static QString nameRefusal(const QString &modName);
    // Why a new mod cannot take this name: the name itself, or anything already there with it.
    QString newNameRefusal(const QString &modName) const;
    // Why a mod cannot be renamed to `newName`.
    QString renameRefusal(const QString &oldName, const QString &newName) const;
    bool rename(const QString &oldName, const QString &newName) const;

private:
    static QString badNameText();
    // Anything there with the name, regardless of letter case; `renamed` does not count.
    QString takenRefusal(const QString &modName, const QString &renamed = QString()) const;

    const QString modsPath;
};
