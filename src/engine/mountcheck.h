#pragma once

#include "fileoutcome.h"
#include "gamenames.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <functional>

class RecordedPathCheck;

// Compares the game folder with the records of the mounted mod and with the mod itself, and
// changes nothing: each placed link should still lead to the mod's entry at its path, each
// backup should still be there, and every entry of the mod should be placed.
class MountCheck
{
public:
    // Called for the entry being looked at (error false) and for each difference (error true).
    using Report = std::function<void(const QString &text, bool error)>;

    MountCheck(QString gameFolder, QString modFolder, Report report,
               const std::atomic<bool> &aborted);

    OutcomeCounts run(const QString &outFilesPath, const QString &backupFilesPath);

private:
    FileOutcome checkPlaced(RecordedPathCheck &trusted, const QString &path);
    FileOutcome checkBackup(RecordedPathCheck &trusted, const QString &path);
    // Entries of the mod that a mount would place and the records do not list.
    void checkModFolder(const QString &folder, const QString &gameFolderOfIt,
                        OutcomeCounts &counts);

    const QString gameFolder;
    const QString modFolder;
    Report report;
    const std::atomic<bool> &aborted;
    // Recorded link paths, compared as the game compares names: regardless of case.
    QSet<QString> placed;
    GameNames names;    // of the game's folders
    GameNames modNames; // of the mod's: a link's name has the game's spelling
};
