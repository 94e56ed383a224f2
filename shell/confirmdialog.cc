#include "shell/confirmdialog.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"

namespace {

struct ConfirmationBox {
    int bit;
    const wchar_t* label;
};

const ConfirmationBox kBoxes[] = {
    {CONFIRM_DELETE_FILE, L"Delete File/Empty Directory"},
    {CONFIRM_DELETE_TAGGED, L"Delete Tagged Files"},
    {CONFIRM_DELETE_DIR, L"Delete Non-empty Directory"},
    {CONFIRM_QUIT, L"Quit DV/L"},
    {CONFIRM_TYPE_YES, L"\"YES\" prompt for Non-Empty Directory"},
};
constexpr int kBoxCount = sizeof kBoxes / sizeof kBoxes[0];

constexpr int kWidth = 44;
constexpr int kTop = 5;
constexpr int kHeight = 14;

}  // namespace

void edit_confirmations() {
    if (!console) return;
    // A box is checked while its question is asked: its bit is clear.
    bool asked[kBoxCount];
    for (int i = 0; i < kBoxCount; i++) asked[i] = !(config.Confirmations & kBoxes[i].bit);

    Dialog dialog(-1, kTop, kWidth, kTop + kHeight - 1, colours[CLR_MESSAGES]);
    dialog.PutCentre(-1, L" Confirmations ");
    for (int i = 0; i < kBoxCount; i++) dialog.AddCheckBox(2, 1 + i, i == 0 ? 1 : 0, asked[i], kBoxes[i].label);
    dialog.AddPushButton(7, 7, 1, KEY_ENTER, L"_OK");
    dialog.AddPushButton(15, 7, 0, KEY_ESC, L"Cancel");
    dialog.AddPushButton(27, 7, 0, KEY_F1, L"Help");
    dialog.AddExitKey(KEY_F1);

    int result;
    while ((result = dialog.Process()) == KEY_F1) ShowHelp(HELP_CONFIRMATIONS);
    if (result != KEY_ENTER) return;

    int switched_off = 0;
    for (int i = 0; i < kBoxCount; i++)
        if (!asked[i]) switched_off |= kBoxes[i].bit;
    const int all_bits = CONFIRM_DELETE_FILE | CONFIRM_DELETE_TAGGED | CONFIRM_DELETE_DIR | CONFIRM_QUIT |
                         CONFIRM_TYPE_YES;
    // Bits the dialog does not show are kept as they were.
    config.Confirmations = (config.Confirmations & ~all_bits) | switched_off;
}
