// The File Date/Time command: the dialog that takes a date and a time in
// the locale's order and the clock the settings choose, and the run that
// sets it on the cursor file or the tagged files of a panel.
#pragma once

#include "lib/timestamp.h"
#include "lib/westring.h"

struct PANEL;

// Asks for a date and time, starting from start; false on Cancel. An
// impossible date is refused with "Invalid date" and the dialog stays.
[[nodiscard]] bool AskDateTime(const Westring& subject, TimeStamp::ExpandedTime& time);

// The whole command on panel. True when times may have changed (the panels
// then need reading again).
bool ChangeDate(PANEL* panel);
