// Where later parts of the program plug into the file operations: the
// directory history and tree picker of the copy dialog, the directory tree
// kept in step with copies, moves and deletions, archive deletion and the
// session environment. Any of them may be null; the operations then go on
// without that service.
#pragma once

#include "lib/westring.h"

struct PANEL;

struct FileOpsHooks {
    // Lets the user pick a directory from the directory history; true with
    // the choice in dir.
    bool (*dir_history_select)(Westring& dir) = nullptr;
    // The directory-tree picker, editing the destination field; height is the
    // picker's height in rows. True when the field changed.
    bool (*tree_pick)(Westring& field, int height) = nullptr;
    // The full path of the tree node under the cursor of a panel in the tree
    // style; true when there is one.
    bool (*tree_cursor_path)(PANEL* panel, Westring& path) = nullptr;
    // A directory moved from one path to another: its subtree moves along.
    void (*tree_graft)(PANEL* panel, const Westring& from, const Westring& to) = nullptr;
    // A directory was made or removed.
    void (*tree_add)(PANEL* panel, const Westring& path) = nullptr;
    void (*tree_remove)(const Westring& path) = nullptr;
    // Deletes the tagged entries (or the current one) of an archive panel.
    void (*archive_delete)(PANEL* panel) = nullptr;
    // Looks up a variable of the session environment (HOME, DELDIR); null
    // means the process environment.
    const char* (*getenv)(const char* name) = nullptr;
    // A file got no description line, for the reason message says (its name
    // holds a line break); the operation itself goes on.
    void (*desc_not_stored)(const Westring& path, const Westring& message) = nullptr;
};
extern FileOpsHooks fileops_hooks;

// A variable through the hook, else from the process environment; null when unset.
const char* fileops_getenv(const char* name);
