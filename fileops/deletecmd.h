// The Delete commands on a panel, with their confirmations.
#pragma once

#include "console/dialog.h"
#include "lib/westring.h"

struct PANEL;

// The delete confirmation: two centred lines, optionally the choice what to
// do with read-only files and the "No Undelete" check box, OK and Cancel.
class CDeleteDlg : public Dialog {
public:
    CDeleteDlg(const Westring& line1, const Westring& line2, bool withReadOnly, bool withNoUndelete);

    int read_only = 0;        // DEL_RO_*
    bool no_undelete = false;
};

// The Delete command: confirms, deletes the tagged entries (or the one under
// the cursor) and reads both panels again.
void file_delete(PANEL* panel);
// Deletes the tagged entries, or the current one when nothing is tagged,
// without asking first (prompts for read-only files and non-empty
// directories still come).
void file_delete_selected(PANEL* panel);
// Asks for the name of one file or directory and deletes it.
void file_delete_single(PANEL* panel);
