// Carrying out a synchronisation plan with the file operations: directories
// made with the mkdir step, files copied and updated by the copy engine
// (so every no-loss rule of copying holds), deletions of one file or of
// one emptied directory at a time.
#pragma once

#include "lib/westring.h"
#include "tools/syncplan.h"

struct [[nodiscard]] SyncRunResult {
    int last = 0;        // the result of the last operation: 0, -1 (stopped) or a failure's code
    int performed = 0;   // operations that did something
    bool stopped() const { return last < 0; }
};

// Performs plan in order, source and target being the roots its paths are
// relative to. Failures are reported with the usual prompts; a negative
// answer, or Esc pressed between two operations, stops the run there and
// leaves every file whole. Conflicts are left alone.
SyncRunResult PerformSyncPlan(const Westring& source, const Westring& target, const SyncPlan& plan);
