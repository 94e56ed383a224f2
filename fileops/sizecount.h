// Counting the bytes of a panel's selection, directories included, before a
// copy or move (so that its progress bar knows the total) and for the tools.
#pragma once

#include <cstdint>

#include "lib/westring.h"
#include "panels/dirusage.h"

struct PANEL;

// Running totals of one count; another thread may read them while it runs.
using SizeCount = DirUsageCount;

// Adds what lies at path: a file's size, or everything below a directory
// (symbolic links are counted as themselves, never followed). False when
// the user stopped the count (Esc or Break).
[[nodiscard]] bool CountPath(const Westring& path, SizeCount& count);

// Counts the tagged entries of the panel, or the entry under the cursor
// when nothing is tagged. Each counted directory's entry gets its size (and
// size_known); tagged_size follows. A "Counting" window appears when the
// count lasts more than a second. The total in bytes, or -1 when the user
// stopped it.
int64_t du_selection(PANEL* panel);
