#pragma once

#include <QString>

// Starts one of the game's executables without waiting for it. On Windows the desktop opens
// it; elsewhere it runs under Wine, in the Wine prefix that holds it, from the game folder.
namespace GameLauncher
{

// False when the program could not be started (missing file, or nothing to run it with).
bool start(const QString &executable);

} // namespace GameLauncher
