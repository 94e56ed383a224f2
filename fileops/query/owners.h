// User and group names and numbers. Look-ups are cached for the run and
// safe to call from any thread.
#pragma once

#include <cstdint>
#include <sys/types.h>

#include "lib/westring.h"

// The account or group name, or the number as text when there is none.
Westring UID2Str(uid_t uid);
Westring GID2Str(gid_t gid);

// The number of the named account or group, or -1 when there is none.
int64_t Str2UID(const Westring& name);
int64_t Str2GID(const Westring& name);
