// The " Directory Compare " dialog: which differences the directory compare
// tags.
#pragma once

#include "lib/westring.h"

// What the directory compare looks for.
struct CompareOptions {
    int date_mode = 0;  // 0 ignore the date, 1 tag the newer, 2 the older, 3 both when they differ
    int size_mode = 0;  // 0 ignore the size, 1 tag the larger, 2 the smaller, 3 both when they differ
    bool contents = false;   // read same-named files of equal size and tag both when they differ
    bool unmatched = false;  // tag the files that have no partner of the same name
    Westring mask = L"*";    // a file is tagged only when it also matches this
};

// The options as the configuration keeps them, and back.
CompareOptions compare_options_from_config();
void save_compare_options(const CompareOptions& options);

// Runs the dialog on options; false when the user cancelled. With
// offer_contents false (an archive is shown) the "Compare Contents" box is
// left out and contents comes back off. A mask with a syntax error is
// refused with a message and the dialog goes on.
[[nodiscard]] bool ask_compare_options(CompareOptions& options, bool offer_contents);
