#include "fileops/copydialog.h"

#include "console/cells.h"
#include "console/keys.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"

namespace {

constexpr int kWidth = 76;
constexpr int kFieldWidth = 72;
constexpr int kMaxLength = 512;
constexpr int kHistory = 10;

constexpr int kAltBackslash = 0x1002B;  // the key of "Dir Hist"

}  // namespace

CCopyDlg::CCopyDlg(const Westring& title, Westring& destination, bool with_overwrite, bool rename_keys,
                   const Westring& other_dir)
    : Dialog(-1, -4, kWidth, with_overwrite ? 9 : 7, colours[CLR_MESSAGES]),
      destination_(destination),
      other_dir_(other_dir) {
    AddStaticText(1, 0, title);
    field_ = AddStringField(1, 2, 1, destination_, kFieldWidth, kMaxLength, kHistory);
    if (with_overwrite) {
        AddStaticText(1, 4, L"Overwrite");
        AddRadioButton(11, 4, 1, overwrite, 0, L"As_k");
        AddRadioButton(22, 4, 0, overwrite, 1, L"_Always");
        AddRadioButton(33, 4, 0, overwrite, 2, L"N_ever");
        AddRadioButton(44, 4, 0, overwrite, 3, L"If O_lder");
    }
    static const ButtonDef kButtons[] = {
        {13, "_OK"}, {27, "Cancel"}, {KEY_F10, "F10-_Tree"}, {kAltBackslash, "Dir _Hist"}, {0, nullptr}};
    AddPushButtonGroup(-1, -1, 1, kButtons);
    if (rename_keys) {
        AddExitKey(alt_key('d'));
        AddExitKey(KEY_F5);
        AddExitKey(KEY_F6);
    }
    ChangeFocus(field_);
}

void CCopyDlg::toggle_name() {
    int slash = destination_.rchr(L'/');
    if (slash >= 0) destination_ = destination_.mid(slash + 1);
    else destination_ = join_path(other_dir_, destination_);
}

int CCopyDlg::Run() {
    for (;;) {
        int result = Process();
        if (result == 13 || result == 27) return result;
        if (result == KEY_F10) {
            if (fileops_hooks.tree_pick) {
                int columns = 80, rows = 25;
                console->GetSize(columns, rows);
                fileops_hooks.tree_pick(destination_, rows / 2 - 2);
            }
        } else if (result == kAltBackslash) {
            Westring dir;
            if (fileops_hooks.dir_history_select && fileops_hooks.dir_history_select(dir))
                destination_ = dir.AppendBackslash();
        } else if (result == alt_key('d') || result == KEY_F5 || result == KEY_F6) {
            toggle_name();
        }
        Draw();
    }
}
