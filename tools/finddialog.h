// The find-file dialog: the search fields over a live list of the files
// found, with view, edit, go to, sort, remove and delete on the list.
#pragma once

#include <functional>

#include "lib/westring.h"
#include "tools/findscan.h"
#include "tools/foundlist.h"

struct PANEL;

// The files the last search found; they outlive the dialog so that it can
// be opened again on them.
extern FoundList found_files;

// Opens the dialog for panel. With resume set and results present, the
// focus starts on the list at the entry left last time.
void findfile(PANEL* panel, bool resume);

// For tests: called on the scan thread before each directory is listed,
// so that a test can hold the scan while it presses keys (until
// scan.stop_requested(), say).
extern std::function<void(const FileScan& scan, const Westring& directory)> find_scan_seam;
// For tests: called on the dialog's thread just after Find started a scan,
// before the next key is read; waiting for the scan here lets queued keys
// meet the complete list.
extern std::function<void(FileScan& scan)> find_started_seam;
