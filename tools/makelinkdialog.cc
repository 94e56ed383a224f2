#include "tools/makelinkdialog.h"

#include <sys/stat.h>

#include "console/cells.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "tools/historywindow.h"

namespace {

constexpr int kWidth = 76;
constexpr int kHeight = 9;
constexpr int kFieldWidth = 72;
constexpr int kMaxLength = 512;
constexpr int kHistory = 10;

}  // namespace

LinkDialog::LinkDialog(const Westring& title, Westring& destination, const Westring& default_dir, bool& relative,
                       bool needs_directory, const Westring& working_dir)
    : Dialog(-1, -4, kWidth, kHeight, colours[CLR_MESSAGES]),
      destination_(destination),
      default_dir_(default_dir),
      working_dir_(working_dir),
      needs_directory_(needs_directory) {
    AddStaticText(1, 0, title);
    field_ = AddStringField(1, 2, 1, destination_, kFieldWidth, kMaxLength, kHistory);
    AddCheckBox(1, 4, 1, relative, L"_Relative Link");
    static const ButtonDef kButtons[] = {
        {13, "_OK"}, {27, "Cancel"}, {KEY_F10, "F10-_Tree"}, {KEY_ALT_BACKSLASH, "Dir _Hist"}, {0, nullptr}};
    AddPushButtonGroup(-1, -1, 1, kButtons);
    AddExitKey(alt_key('d'));
    AddExitKey(KEY_F5);
    AddExitKey(KEY_F6);
    ChangeFocus(field_);
}

void LinkDialog::toggle_name() {
    if (destination_.chr(L'/') < 0) destination_ = join_path(default_dir_, destination_);
    else destination_ = last_component(destination_);
}

bool LinkDialog::field_is_directory() const {
    // ResolvePath also drops the final "/".
    Westring dir = destination_;
    if (dir.empty() || ResolvePath(dir, working_dir_.c_str()) != 0) return false;
    struct stat st;
    return stat(EncodeFileName(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int LinkDialog::Run() {
    for (;;) {
        const int result = Process();
        if (result == 27) return result;
        if (result == 13) {
            if (!needs_directory_ || field_is_directory()) return result;
            (void)error(L"Destination must be a valid directory", destination_, MB_OK);
        } else if (result == KEY_F10) {
            if (fileops_hooks.tree_pick) fileops_hooks.tree_pick(destination_, console->rows() / 2 - 2);
        } else if (result == KEY_ALT_BACKSLASH) {
            const Westring dir = DirHistorySelect();
            if (!dir.empty()) destination_ = dir.AppendBackslash();
        } else if (result == alt_key('d') || result == KEY_F5 || result == KEY_F6) {
            toggle_name();
        }
        Draw();
    }
}
