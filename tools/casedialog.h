// The File Case command (Ctrl-C): the dialog that chooses the case of the
// names and extensions, and the run over the cursor entry or the tagged
// entries of a panel.
#pragma once

#include "lib/westring.h"

struct PANEL;
struct CaseChangeOptions;

// Asks for the case modes (kept in the settings, also when cancelled);
// false on Cancel. subject names what is changed.
[[nodiscard]] bool AskCaseOptions(const Westring& subject, CaseChangeOptions& options);

// The whole command on panel. True when names may have changed (the panels
// then need reading again).
bool ChangeCase(PANEL* panel);
