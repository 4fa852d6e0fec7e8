#pragma once

#include <QString>

// Where a mod is put together before it takes its name in the mods folder: a folder the mod
// list never shows, so that an add cut short leaves no mod behind.
namespace StagingFolder
{

// Makes a fresh, hidden staging folder in `modsFolder`; empty when it cannot.
QString make(const QString &modsFolder);
// Removes the staging folders that earlier runs left (a crash, a power cut); with `allOfThem`
// also this run's own, for the start, when no add of this run can be under way.
void removeLeftovers(const QString &modsFolder, bool allOfThem);

} // namespace StagingFolder
