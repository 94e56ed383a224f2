// Making symbolic links to the cursor file or to every tagged file of a
// panel, with absolute or relative targets.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Makes a link at link leading to target (both absolute), relative to the
// link's directory when relative is set. A failure shows the file-system
// error prompt: Retry tries again, Skip counts as done. False only when the
// user cancelled.
[[nodiscard]] bool MakeSymLink(const Westring& link, const Westring& target, bool relative);

// The make-links command on panel: asks where the links go (starting at
// destination_dir) and whether they are relative, then links the cursor
// file, or each tagged file in panel order, untagging and marking each one
// done. The first failure the user does not skip stops it. Both panels are
// read again afterwards.
void MakeSymLinks(PANEL* panel, const Westring& destination_dir);
