// The directory compare (Ctrl-K): tags, in both panels, the files that differ
// from their same-named partner on the other side by the conditions the user
// chose. Nothing on disk changes; the tags are the whole result.
#pragma once

#include <functional>

#include "lib/westring.h"
#include "tools/comparedialog.h"
#include "tools/filecontents.h"

struct PANEL;

// Compares the files at two full paths by their bytes.
using ContentsComparer = std::function<ContentsVerdict(const Westring& left_path, const Westring& right_path)>;

// Sets every tag of both panels from options, matching the two lists by
// exact name (case matters) in one pass, and recomputes both panels' tagged
// counts and totals. Directories are never matched or tagged, nor are the
// reserved files. False when the content comparison stopped (Esc or an
// error): every tag of both panels is then cleared.
[[nodiscard]] bool tag_differences(PANEL& left, PANEL& right, const CompareOptions& options,
                                   const ContentsComparer& compare_contents);

// Recomputes the panel's tagged count and byte total from its entries' tags.
void recount_tags(PANEL& panel);

// The command: asks for the options, tags the differences and repaints the
// panels; says so when nothing differs. Does nothing unless both panels show
// file lists.
void directory_compare();
