#pragma once

#include <string>

// The program's life once the application object exists.
namespace Startup
{

// Claims `applicationDir` for this copy of the program, shows the main window on its files and
// runs the event loop until the window is closed. Returns the exit code; 1, after saying so,
// when another copy is already running from that folder, which is then left untouched.
int run(const std::string &applicationDir);

} // namespace Startup
