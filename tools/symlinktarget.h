// The target a new symbolic link points to: the path as given, or a path
// relative to the directory that will hold the link.
#pragma once

#include "lib/westring.h"

// The target written into a relative link at link (an absolute path) that
// leads to target (absolute). The link's directory and the directory that
// holds target are first resolved through symbolic links, so that ".." steps
// climb the real tree the system will walk; target's own last component is
// kept as it is, so a link to a link stays a link to that link. "." when
// target is the link's own directory.
Westring relative_link_target(const Westring& link, const Westring& target);

// Makes a symbolic link at link holding target: 0, or the error number.
[[nodiscard]] int CreateSymLink(const Westring& link, const Westring& target);
