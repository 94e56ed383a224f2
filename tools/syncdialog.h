// The Synchronize Directories command: its options dialog, the scan of both
// trees, the list of every operation for confirmation, and the run.
#pragma once

#include "lib/westring.h"
#include "tools/syncplan.h"

// Makes the tree of target follow that of source after the user has chosen
// the options and confirmed the whole list. True when a list was carried
// out (in full or not): the panels then need reading again.
bool SynchronizeDirectories(const Westring& source, const Westring& target);

// The dialog " Confirm Synchronize Operations " with one line per
// operation; true on OK.
bool ConfirmSyncPlan(const Westring& source, const Westring& target, const SyncPlan& plan);

// The line the confirmation shows for op, columns wide on each side of the
// arrow.
Westring SyncOpLine(const SyncOp& op, int columns);
