// Changing a panel's directory: into a subdirectory, up to the parent, or
// straight to any directory, remembering where the panel was.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Changes panel side of panels into subdir, a name inside its directory:
// ".." goes up (up_dir), an empty name re-reads the directory. The directory
// left goes to the directory history and becomes prev_dir; the cursor
// position in it is remembered. Unless keepTags, the tags are dropped. With
// top >= 0 the panel's top and cursor rows become top and cursor. The panel
// is repainted and the process changes into its directory.
void change_dir(PANEL* panels, int side, const wchar_t* subdir, char keepTags, int top, int cursor);
// Goes up to the parent directory (nothing at "/"), restoring the position
// remembered there and putting the cursor on the directory just left.
void up_dir(PANEL* panel);

// Changes the panel to dir (an absolute path), as change_dir does for a
// subdirectory, and puts the cursor on cursor_name when given. 0, or the
// error number when dir is not a directory that exists (the panel is then
// unchanged).
[[nodiscard]] int goto_directory(PANEL* panel, const Westring& dir, const wchar_t* cursor_name = nullptr);

// The process's working directory follows the panel's (GetWD). 0 or the error number.
[[nodiscard]] int chdir_to_panel(const PANEL* panel);
