// The file viewer from the main screen: F3 and its variants on the cursor
// file, Shift-F3 on a typed name, the "$view" command, and "dv -v" with the
// viewer alone.
#pragma once

#include "console/console.h"
#include "lib/westring.h"

class CMainLoop;

// F3: the cursor file with its viewer association or the Viewer setting;
// Alt-F3 and Shift-Ctrl-F3 with the Viewer2 setting. An empty command opens
// the program's own viewer, which pages through the panel's files. F3 on a
// directory counts the bytes below it into its size instead.
void view_cursor_file(CMainLoop& loop, int key, _MEVENT& event);
// Shift-F3: asks for the name of the file to view.
void view_named_file(CMainLoop& loop, int key, _MEVENT& event);

// "dv -v name": the viewer alone on name (taken in the current directory);
// the program ends with it. The exit status: 1 when the file cannot be
// opened, else 0.
[[nodiscard]] int ViewAlone(const Westring& name);

// Makes "$view" open the program's own viewer and lets the viewer name
// each file it pages to in the title; the restore puts back what was there.
void InstallViewerHooks();
void RestoreViewerHooks();
