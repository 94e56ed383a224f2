// Starting the program: the console, the configuration, the panels, and
// the run from start-up through the main loop to the shutdown.
#pragma once

#include "lib/estring.h"
#include "lib/westring.h"

class CConsoleView;

// A whole run with the arguments (argv[0] is the program): the arguments
// are examined (a bad one prints its message and gives 1), the console is
// made on view (or, when view is null, the existing program-wide console is
// used and kept), then start-up, the main loop and the shutdown; with -e
// the settings are read and the editor alone runs instead. The exit
// status: 0 after a normal run.
[[nodiscard]] int RunProgram(int argc, char** argv, CConsoleView* view);

// With -h HOST, RunProgram serves as the window of the program running on
// that host instead of starting the panels: the remote layer installs this
// (true when the session ended well). Null: -h is not available.
extern bool (*remote_session_hook)(const Estring& host);

// Start-up on the existing console with the arguments already examined
// (program_args): icons, hooks, locale, configuration, screen size, key bar
// and both panels.
void StartUp();

// Puts back the console, configuration and panel hooks StartUp replaced.
void RestoreHooks();

// The directory a panel starts in: the one named (from -l or -r), else the
// setting (Left or Right), else the current directory; one that is not a
// directory falls back to the current directory, then HOME, then "/".
Westring StartDirectory(const Westring& named, const Westring& setting);

// The program's icon files: those of the installation it was built for,
// else those of the system's icon directories.
Westring IconFile(bool scalable);
