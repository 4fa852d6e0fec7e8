#pragma once

#include <QString>

// What the program's paths and names mean, independent of what stands on disk.
namespace PathNames
{

// How the platform compares file names: Windows ignores case.
extern const Qt::CaseSensitivity pathCase;

// Absolute and without "." or ".." components; links are left as they are.
QString absoluteClean(const QString &path);
// Where the path really leads: links resolved while it exists, else its absolute clean form.
QString resolved(const QString &path);
// Both name the same entry, compared as the platform compares file names (links unresolved).
bool samePath(const QString &a, const QString &b);
// `path` is `folder` or lies below it; both in the same form.
bool isInside(const QString &path, const QString &folder);
// Where `path` really leads is `folder` or lies below where `folder` leads. False when either
// is empty.
bool liesWithin(const QString &path, const QString &folder);
// A folder typed as a relative path, made absolute against the current folder: records must
// not depend on the folder the program happens to be started from.
QString absoluteFolder(const QString &folder);

// One name of an entry inside its parent folder, never that folder itself or one above it.
bool isPlainFolderName(const QString &name);
// The text can stand on one line of config.cfg or of a record.
bool fitsOnOneLine(const QString &text);
// A name a mod can be mounted under and stored with: a plain folder name on one line.
bool isStorableModName(const QString &name);

// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension), or one ending in a dot or a space, which Windows drops.
bool isNameWindowsReserves(const QString &name);
// A character Windows refuses in a name: < > : " | ? * or a control character.
bool hasCharacterWindowsRefuses(const QString &name);
// Either: no file on Windows can have this name.
bool windowsCannotHold(const QString &name);

} // namespace PathNames
