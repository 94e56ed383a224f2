// The size count (Ctrl-Q): the bytes below the tagged directories of a
// panel, or below the directory under the cursor, shown in the panel and
// kept in the directory tree.
#pragma once

struct PANEL;

// Counts, shows the " Reading Directories " window while it runs, and sets
// each counted entry's size; the tagged total follows, and a panel sorted by
// size is sorted again. Inside an archive the archive's own figures are
// used. With SizeCountPause on (and not quiet) the final figures wait for
// OK. False when the user stopped it with Esc (no size is then stored).
[[nodiscard]] bool du(PANEL* panel, bool quiet);
