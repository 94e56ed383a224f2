// The user's own permissions on an entry and the text form of file modes.
#pragma once

#include <sys/types.h>

#include "lib/westring.h"

// Permission bits in the order of a mode's three groups.
enum { PERM_READ = 4, PERM_WRITE = 2, PERM_EXECUTE = 1 };

// The read, write and execute bits of mode that apply to the program's user
// for a file of that owner and group: the owner's when the user owns it,
// else the group's when the group is one of the user's groups, else the
// others'.
int MyPermissions(int mode, uid_t owner, gid_t group);

// The nine-character text of a mode, such as "rwsr-xr-x".
Westring UnixMode2Str(int mode);
