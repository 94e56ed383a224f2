// The answers and state that one copy, move or delete command shares across
// all the items it handles. Every command starts with ResetFileGlobals.
#pragma once

#include <cstdint>

class Win;

// What to do when a destination file exists.
enum { OVERWRITE_ASK = 0, OVERWRITE_ALWAYS = 1, OVERWRITE_NEVER = 2, OVERWRITE_IF_OLDER = 3 };
// The answers about deleting read-only files.
enum { DEL_RO_ASK = 0, DEL_RO_ALL = 1, DEL_RO_NONE = 2 };

extern int overwrite_mode;          // OVERWRITE_*
extern char merge_all;              // existing destination directories are merged without asking
extern signed char read_written_all;  // files open for writing: 1 copy all, -1 skip all, 0 ask
extern char del_all_RO;             // DEL_RO_*
extern char del_force;              // the "No Undelete" choice (nothing reads it yet)
extern char del_all_trees;          // non-empty directories are deleted without asking
extern char case_filter;            // names of copied files are lower-cased

// The one progress window of the running copy or move command (null when
// none is shown). Owned by the command; nested calls only widen it.
extern Win* fwin;

// Puts every answer above back to its start value (and break_status to 0).
void ResetFileGlobals();
