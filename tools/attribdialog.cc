#include "tools/attribdialog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cwctype>

#include "console/cells.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "fileops/query/owners.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kWidth = 45;
constexpr int kHeight = 10;
constexpr int kBoxColumn[ATTRIB_COLUMNS] = {8, 12, 16, 20};
constexpr int kFirstBoxRow = 3;
constexpr int kFieldColumn = 34;
constexpr int kFieldWidth = 8;
// The longest user and group names Linux allows.
constexpr int kNameLength = 32;

// The keys the dialog handles itself: octal digits and the column letters.
const wchar_t kColumnLetters[] = L"rwxs";

int column_of_letter(int key) {
    for (int column = 0; column < ATTRIB_COLUMNS; column++)
        if (key == kColumnLetters[column]) return column;
    return -1;
}

bool is_tree(const PANEL* panel) { return panel->detail == DETAIL_TREE; }

// The dialog's window and controls over the settings it edits.
class AttributeWindow {
public:
    AttributeWindow(AttribSettings& settings, const Westring& name)
        // With a top row given, the bottom is a row too, not a height.
        : settings_(settings), dialog_(-1, top(), kWidth, top() + kHeight - 1, colours[CLR_MESSAGES]) {
        dialog_.PutCentre(-1, L" File  Attributes ");
        if (!name.empty()) {
            Westring shown = name;
            collapse_path(shown, dialog_.inner_width());
            dialog_.AddStaticText(-1, 0, shown);
        }
        dialog_.AddStaticText(8, 2, L" R   W   X   S");
        static const wchar_t* const row_labels[ATTRIB_ROWS] = {L"User", L"Group", L"Other"};
        for (int row = 0; row < ATTRIB_ROWS; row++) {
            dialog_.AddStaticText(1, kFirstBoxRow + row, row_labels[row]);
            for (int column = 0; column < ATTRIB_COLUMNS; column++) {
                unsigned char& state = settings_.box[row * ATTRIB_COLUMNS + column];
                const int x = kBoxColumn[column], y = kFirstBoxRow + row;
                DialogElement* box = settings_.several ? new CheckBox3S(&dialog_, x, y, state, L"", true)
                                                       : new CheckBox(&dialog_, x, y, state, L"", true);
                boxes_[row * ATTRIB_COLUMNS + column] = dialog_.AddElement(box, column == 0 ? 1 : 0);
            }
        }
        const int owner = dialog_.AddStringField(kFieldColumn, 3, 1, settings_.owner, kFieldWidth, kNameLength);
        dialog_.AddFieldLabel(28, 3, owner, L"_Owner");
        const int group = dialog_.AddStringField(kFieldColumn, 4, 1, settings_.group, kFieldWidth, kNameLength);
        dialog_.AddFieldLabel(28, 4, group, L"_Group");
        static const Dialog::ButtonDef buttons[] = {{KEY_ENTER, "O_K"}, {KEY_ESC, "Cancel"}, {KEY_F1, "_Help"}, {0, nullptr}};
        const int ok = dialog_.AddPushButtonGroup(-1, kHeight - 3, 1, buttons);
        dialog_.SetDefault(ok);
        dialog_.AddExitKey(KEY_F1);
        for (int digit = 0; digit < 8; digit++) dialog_.AddExitKey('0' + digit);
        for (const wchar_t* letter = kColumnLetters; *letter; letter++) {
            dialog_.AddExitKey(*letter);
            dialog_.AddExitKey(static_cast<int>(std::towupper(static_cast<wint_t>(*letter))));
        }
        dialog_.ChangeFocus(boxes_[0]);
    }

    // Runs until Enter, Esc or Help.
    int Run() {
        for (;;) {
            const int key = dialog_.Process();
            if (key == KEY_ENTER || key == KEY_ESC || key == KEY_F1) return key;
            if (key >= '0' && key <= '7') OnDigit(key - '0');
            else OnLetter(key);
            dialog_.Draw();
        }
    }

private:
    static int top() {
        const int rows = console ? console->rows() : 25;
        const int y = (rows - kHeight) / 2 - 4;
        return y > 0 ? y : 0;
    }

    // The row of the focused box, or -1.
    int FocusedRow() const {
        for (int i = 0; i < ATTRIB_BOXES; i++)
            if (boxes_[i] == dialog_.focus()) return i / ATTRIB_COLUMNS;
        return -1;
    }

    // A digit on a box row sets that row and moves on to the next; anywhere
    // else (the text fields take digits themselves) it sets the S column.
    void OnDigit(int digit) {
        const int row = FocusedRow();
        settings_.SetFromDigit(row, digit);
        if (row >= 0 && row + 1 < ATTRIB_ROWS) dialog_.ChangeFocus(boxes_[(row + 1) * ATTRIB_COLUMNS]);
    }

    // A small letter steps that column's box of the focused row; a capital
    // steps the User row's and gives all three rows its state.
    void OnLetter(int key) {
        const bool all_rows = key >= 'A' && key <= 'Z';
        const int column = column_of_letter(all_rows ? key - 'A' + 'a' : key);
        if (column < 0) return;
        const int row = all_rows ? 0 : FocusedRow();
        if (row < 0) return;
        unsigned char& state = settings_.box[row * ATTRIB_COLUMNS + column];
        state = settings_.Advance(state);
        if (all_rows)
            for (int other = 1; other < ATTRIB_ROWS; other++) settings_.box[other * ATTRIB_COLUMNS + column] = state;
    }

    AttribSettings& settings_;
    Dialog dialog_;
    int boxes_[ATTRIB_BOXES] = {};
};

}  // namespace

CFileAttributeDialog::CFileAttributeDialog(PANEL* panel) : panel_(panel) {
    settings_.several = panel->num_tagged > 0 && !is_tree(panel);
    entry* e = panel->CurrentEntry();
    if (settings_.several || !e) {
        settings_.FromMode(0);
        return;
    }
    settings_.FromMode(e->mode);
    settings_.owner = UID2Str(e->uid);
    settings_.group = GID2Str(e->gid);
}

Westring CFileAttributeDialog::PathOf(const entry* e) const {
    if (is_tree(panel_)) return tree_node_path(entry_tree_node(e));
    Westring path = panel_->dir;
    if (path.empty() || path[path.strlen() - 1] != L'/') path += L'/';
    return path + e->name;
}

int CFileAttributeDialog::Process() {
    Westring name;
    if (!settings_.several) {
        entry* e = panel_->CurrentEntry();
        if (e) name = is_tree(panel_) ? PathOf(e) : Westring(e->name);
    }
    AttributeWindow window(settings_, name);
    for (;;) {
        const int key = window.Run();
        if (key == KEY_F1) {
            ShowHelp(HELP_ATTRIBUTES);
            continue;
        }
        if (key != KEY_ENTER) return KEY_ESC;
        if (UpdateAttributes()) return KEY_ENTER;
    }
}

bool CFileAttributeDialog::UpdateAttributes() {
    const int64_t uid = AttribUserId(settings_.owner);
    if (uid == -2) {
        (void)error(L"Invalid user", settings_.owner, MB_OK);
        return false;
    }
    const int64_t gid = AttribGroupId(settings_.group);
    if (gid == -2) {
        (void)error(L"Invalid group", settings_.group, MB_OK);
        return false;
    }
    if (!settings_.several) {
        entry* e = panel_->CurrentEntry();
        return !e || UpdateOwner(e, uid, gid);
    }
    for (int i = 0; i < panel_->num_files; i++)
        if (panel_->files[i]->tagged && !UpdateOwner(panel_->files[i], uid, gid)) return false;
    return true;
}

bool CFileAttributeDialog::UpdateOwner(entry* e, int64_t uid, int64_t gid) {
    if (e->is_parent()) return true;
    const Westring path = PathOf(e);
    const Estring bytes = EncodeFileName(path);
    for (;;) {
        // The entry's mode is its target's for a link; the file's own is
        // read afresh so that bits left unchanged are the current ones.
        struct stat status;
        int code = stat(bytes.c_str(), &status) == 0 ? 0 : errno;
        if (code == 0) code = UpdateAttributes(path, UpdateMode(static_cast<int>(status.st_mode)), uid, gid);
        if (code == 0) break;
        const int answer = error(GetOSErrorMessage(code), path, MB_RETRY);
        if (answer == 'r') continue;
        if (answer == 's') return true;
        return false;
    }
    struct stat status;
    if (stat(bytes.c_str(), &status) == 0 || lstat(bytes.c_str(), &status) == 0) {
        e->mode = static_cast<uint16_t>(status.st_mode);
        e->uid = status.st_uid;
        e->gid = status.st_gid;
    }
    return true;
}

bool file_attrib(PANEL* panel) {
    if (!console || !panel || panel->archive) return false;
    entry* e = panel->CurrentEntry();
    if (panel->num_tagged == 0 && (!e || e->is_parent())) return false;
    if (is_tree(panel) && (!e || !entry_tree_node(e))) return false;
    CFileAttributeDialog dialog(panel);
    return dialog.Process() == KEY_ENTER;
}
