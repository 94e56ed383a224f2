// Symbolic-link targets.
#pragma once

#include "lib/westring.h"

// The target text of the symbolic link path, whatever its length; empty
// when path is not a link or cannot be read.
Westring GetLinkTarget(const Westring& path);
