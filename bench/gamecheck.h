#pragma once

// What the check for a running game costs before a mount, an unmount or a repair: it runs on
// the window's thread, so it has to stay well under the 100 ms the window may be still.
namespace bench
{

// Starts `extraProcesses` waiting programs beside what runs already, times the check a number
// of times, and prints the figures.
void printGameCheckFigures(int extraProcesses);

} // namespace bench
