// The text editor from the main screen: F4 and its variants on the cursor
// file, Shift-F4 on a typed name, the "$edit" command, and "dv -e" with the
// editor alone.
#pragma once

#include <cstdint>

#include "console/console.h"
#include "editor/editor.h"
#include "lib/westring.h"

class CMainLoop;

// Runs one session of the program's own editor (see edit in editor/editor.h).
// Tests put a fake here.
using EditorStarter = EditorExit (*)(const wchar_t* name, int64_t offset, int length);
extern EditorStarter internal_editor;

// F4: the cursor file with its editor association or the Editor setting;
// Alt-F4 and Shift-Ctrl-F4 with the Editor2 setting. An empty command opens
// the program's own editor.
void edit_cursor_file(CMainLoop& loop, int key, _MEVENT& event);
// Shift-F4: asks for the name of the file to edit.
void edit_named_file(CMainLoop& loop, int key, _MEVENT& event);

// "dv -e name": the editor alone on name (taken in the current directory);
// the program ends with it. The exit status: 1 when the file could not be
// opened, else 0.
[[nodiscard]] int EditAlone(const Westring& name);

// Lends the editor the syntax and configuration files' names and makes
// "$edit" open it; the restore puts back what was there.
void InstallEditorHooks();
void RestoreEditorHooks();
