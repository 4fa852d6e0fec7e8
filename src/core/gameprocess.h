#pragma once

#include <QString>
#include <QStringList>

// Whether the game, or its editor, runs from a game folder now. While it runs it holds its own
// files open: on Windows renaming them fails part way through a mount, and elsewhere the game
// would go on reading a mix of old and new files.
namespace GameProcess
{

// "Warcraft III.exe" and "World Editor.exe".
const QStringList &executableNames();
// A file name of one of them, in any letter case.
bool isExecutableName(const QString &fileName);
// `path` is one of them inside `gameFolder` (both local paths).
bool isGameExecutable(const QString &path, const QString &gameFolder);

// A process of this machine runs one of them from `gameFolder`: on Windows by each process's
// image, elsewhere by each command line naming one by its path here or by its Windows path in
// a Wine prefix.
bool runsFrom(const QString &gameFolder);

} // namespace GameProcess
