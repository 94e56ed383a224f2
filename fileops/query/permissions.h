// The user's own permissions on an entry and the text form of file modes.
#pragma once

#include "lib/westring.h"
#include "panels/entry.h"

// Permission bits in the order of a mode's three groups.
enum { PERM_READ = 4, PERM_WRITE = 2, PERM_EXECUTE = 1 };

// The read, write and execute bits that apply to the program's user for the
// entry: the owner's when the user owns it, else the group's when its group
// is one of the user's groups, else the others'.
int MyPermissions(const entry& e);
// Whether the user may execute the entry (false for null).
bool IsExecutable(const entry* e);

// The nine-character text of a mode, such as "rwsr-xr-x".
Westring UnixMode2Str(int mode);
