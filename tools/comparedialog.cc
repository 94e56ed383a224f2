#include "tools/comparedialog.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "panels/mask.h"

namespace {

constexpr int kWidth = 46;
constexpr int kHeight = 14;
constexpr int kMaskLength = 100;
constexpr int kMaskHistory = 4;  // shared with the tagging masks

int clamp_mode(int mode) { return mode >= 0 && mode <= 3 ? mode : 0; }

}  // namespace

CompareOptions compare_options_from_config() {
    CompareOptions options;
    options.date_mode = clamp_mode(config.CMPTime);
    options.size_mode = clamp_mode(config.CMPSize);
    options.contents = config.CMPContents;
    options.unmatched = config.CMPUnmatched;
    options.mask = config.CMPMask.strlen() > 0 ? config.CMPMask : Westring(L"*");
    return options;
}

void save_compare_options(const CompareOptions& options) {
    config.CMPTime = options.date_mode;
    config.CMPSize = options.size_mode;
    config.CMPContents = options.contents;
    config.CMPUnmatched = options.unmatched;
    config.CMPMask = options.mask;
}

bool ask_compare_options(CompareOptions& options, bool offer_contents) {
    if (!console) return false;
    if (!offer_contents) options.contents = false;
    options.date_mode = clamp_mode(options.date_mode);
    options.size_mode = clamp_mode(options.size_mode);

    Dialog dialog(-1, -2, kWidth, kHeight, colours[CLR_MESSAGES]);
    dialog.PutCentre(-1, L" Directory Compare ");
    // A radio button selects itself when it takes the focus: each group is
    // entered at its chosen button (group kind 2), and the dialog starts on
    // the chosen date button.
    static const wchar_t* const date_labels[] = {L"_Ignore Date", L"Tag _Newer", L"Tag _Older", L"Tag _Different"};
    static const wchar_t* const size_labels[] = {L"I_gnore Size", L"Tag _Larger", L"Tag _Smaller", L"Tag Di_fferent"};
    int chosen_date = -1;
    dialog.AddStaticText(1, 1, L"Date/Time");
    for (int mode = 0; mode < 4; mode++) {
        const int button = dialog.AddRadioButton(1, 3 + mode, mode == 0 ? 2 : 0, options.date_mode, mode, date_labels[mode]);
        if (mode == options.date_mode) chosen_date = button;
    }
    dialog.AddStaticText(24, 1, L"Size");
    for (int mode = 0; mode < 4; mode++)
        dialog.AddRadioButton(24, 3 + mode, mode == 0 ? 2 : 0, options.size_mode, mode, size_labels[mode]);
    dialog.AddCheckBox(1, 8, 1, options.unmatched, L"Tag _Unmatched");
    if (offer_contents) dialog.AddCheckBox(1, 9, 0, options.contents, L"_Compare Contents");
    Westring mask = options.mask;
    const int field = dialog.AddStringField(29, 8, 1, mask, 14, kMaskLength, kMaskHistory);
    dialog.AddFieldLabel(24, 8, field, L"_Mask");
    const int ok = dialog.AddPushButton(8, 11, 1, KEY_ENTER, L"O_K");
    dialog.AddPushButton(16, 11, 0, KEY_ESC, L"Cancel");
    dialog.AddPushButton(28, 11, 0, KEY_F1, L"_Help");
    dialog.AddExitKey(KEY_F1);
    dialog.SetDefault(ok);
    dialog.ChangeFocus(chosen_date);

    for (;;) {
        const int result = dialog.Process();
        if (result == KEY_F1) {
            ShowHelp(HELP_COMPARE);
            continue;
        }
        if (result != KEY_ENTER) return false;
        if (mask.strlen() == 0) mask = L"*";
        if (mask_eval(mask, L"test") < 0) {
            (void)error(L"Syntax error in search expression", mask, MB_OK);
            continue;
        }
        options.mask = mask;
        return true;
    }
}
