// Opening a found file from the find dialog: the command the user set up
// for it (an association, else the viewer or editor setting), run with the
// file's path, or the program's own viewer paging through the found files.
#pragma once

#include "config/config.h"
#include "lib/westring.h"
#include "panels/associations.h"
#include "tools/foundlist.h"

struct PANEL;

// One kind of tool: the viewer or the editor.
struct FoundTool {
    // Searched by the plain key for the file's name.
    const AssociationSet* associations;
    // The plain key's setting (Viewer, Editor) and the Alt key's (Viewer2, Editor2).
    Westring CONFIG::*command;
    Westring CONFIG::*alternative;
};

extern const FoundTool kFoundViewer;
extern const FoundTool kFoundEditor;

// The command that opens the record: for the plain key the first
// association matching its name, else the setting; for the Alt key the
// second setting. Blank when the program's own tool should open it.
Westring found_command(const FoundTool& tool, const FoundFile& record, bool alternative);

// Runs command for the file path from panel's directory, the path put in
// where the command names the file (appended when it names none).
void run_found_command(Westring command, const Westring& path, PANEL* panel);

// Views the found files in the program's own viewer from record current
// on; Alt-Up and Alt-Down step through the other records that are no
// directories. Returns the index of the record viewed last (current when
// nothing could be viewed). The list must not change meanwhile but for
// records the scan adds at its end.
int view_found_files(FoundList& found, int current);
