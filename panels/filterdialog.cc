// The dialog that edits a panel's filter: a file mask or filter expression.
#include <cstdio>

#include "console/dialog.h"
#include "console/msgbox.h"
#include "panels/mask.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {
constexpr int kFilterHistory = 7;
}

bool edit_filter(int side) {
    if (!console || side < 0 || side > 1) return false;
    PANEL* panel = panel_base + side;
    Westring expression = panel->filter;

    Dialog dialog(-1, 5, 76, 5 + 8 - 1, colours[CLR_MESSAGES]);
    wchar_t heading[40];
    std::swprintf(heading, 40, L"Filter for %ls panel", side == 0 ? L"left" : L"right");
    dialog.AddStaticText(1, 0, heading);
    const int field = dialog.AddStringField(1, 1, 1, expression, 72, -1, kFilterHistory);
    dialog.AddOkCancel(-1, -1, 1);
    dialog.ChangeFocus(field);
    for (;;) {
        if (dialog.Process() != 13) return false;
        if (mask_eval(expression, L"test") >= 0) break;
        error(L"Syntax error in expression", expression, MB_OK);
    }
    panel->filter = expression;
    return true;
}
