// The help window: one page of the help text in a scrolling framed window.
#pragma once

#include "console/console.h"

class CMainLoop;

// Shows the page of topic (the end record's page when the file lacks it)
// and returns when the user leaves it; without help, a message says why.
void help(int topic);

// Makes F1 in the dialogs, the viewer and the editor show their pages. The
// editor's, the viewer's and the configuration's hooks are put back with
// theirs at the end of the run; RestoreHelpHook puts back show_help_hook.
void InstallHelpHooks();
void RestoreHelpHook();

// The main screen's F1: its own page.
void show_main_help(CMainLoop& loop, int key, _MEVENT& event);
