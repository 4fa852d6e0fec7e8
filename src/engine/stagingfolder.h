#pragma once

#include <QString>
#include <QStringList>

// Where a mod is put together before it takes its name in the mods folder: a folder the mod
// list never shows, so that an add cut short leaves no mod behind.
namespace StagingFolder
{

// Makes a fresh, hidden staging folder in `modsFolder`; empty when it cannot.
QString make(const QString &modsFolder);
// The staging folders that earlier runs left (a crash, a power cut), by their paths.
QStringList leftovers(const QString &modsFolder);
// Removes them; a large one takes a while.
void removeLeftovers(const QString &modsFolder);

} // namespace StagingFolder
