// Opening a file with an editor or a viewer from the main screen: the
// cursor file of the current panel (F4 and its variants), or a file whose
// name the user types (Shift-F4). What opens it is a command the user
// configured (an association for the plain key, else a setting), or the
// program's own tool when that command is empty.
#pragma once

#include "config/config.h"
#include "lib/westring.h"
#include "panels/associations.h"

class CMainLoop;

// One kind of tool: the editor or the viewer.
struct FileTool {
    // Searched for the plain key's command; null: no associations.
    const AssociationSet* associations;
    // The plain key's command (Editor, Viewer) and the variants' (Editor2, Viewer2).
    Westring CONFIG::*command;
    Westring CONFIG::*alternative;
    // Opens the program's own tool on a full path; true when the desktop
    // closed the window meanwhile (the program then ends).
    bool (*open_internal)(const Westring& path);
    // The file the key opens in the other panel's directory while the
    // information panel is current; null: the key does nothing there.
    const wchar_t* info_file;
    // The question of the dialog that asks for a name, and its field's history.
    const wchar_t* ask;
    int history;
};

// Opens the current panel's cursor file with tool: the first matching
// association or the plain setting, or with alternative the variants'
// setting. Nothing happens with the panels hidden, on an empty list, on a
// directory or "..". A member of an archive is taken out into a temporary
// copy first and written back when the copy changed.
void OpenCursorFile(CMainLoop& loop, const FileTool& tool, bool alternative);

// Asks for a file name (the cursor entry's is offered) and opens that file
// with the plain setting, or the program's own tool. A relative name is
// taken in the panel's directory; afterwards the cursor goes to the file
// when it lies in the current panel's directory.
void OpenNamedFile(CMainLoop& loop, const FileTool& tool);

// name made absolute against base (itself absolute): empty and "."
// components dropped, each ".." taking the one before it away (never above
// "/"), without looking at the file system. A backslash is part of a name.
Westring AbsoluteFileName(const Westring& name, const Westring& base);

// The process's current directory; "/" when it cannot be read.
Westring CurrentDirectory();
