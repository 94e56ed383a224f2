#include "tools/storedpaths.h"

#include <algorithm>
#include <cstdlib>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/environment.h"
#include "fileops/resolvepath.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"
#include "panels/panel.h"

namespace {

constexpr int kSlots = 10;
constexpr int kMinDirWidth = 16;
constexpr int kMaxDirWidth = 70;
constexpr int kLinePrefix = 6;  // "N - " and a column of margin each side
constexpr int kRowsAboveMiddle = 4;

bool is_name_char(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}

// The ten slots: a digit chooses its slot as Enter would.
class SlotListBox : public ListBoxBase {
public:
    SlotListBox(Dialog* dialog, int width, int& selected)
        : ListBoxBase(dialog, 0, 0, width, kSlots, kSlots, selected, 0), selected_slot_(selected) {}

    void DrawLine(int line, int item, unsigned char attr) override { PutLine(line, sp_line(item, width_), attr); }
    int ProcessEvent(Event& event) override {
        if (event.type == Event::Key && event.key >= '0' && event.key <= '9') {
            selected_slot_ = event.key - '0';
            Draw();
            dialog->SetResult(KEY_ENTER);
            return 1;
        }
        return ListBoxBase::ProcessEvent(event);
    }
    // Shows every line again after a slot changed.
    void Refresh() {
        Redraw();
        Draw();
    }

private:
    int& selected_slot_;
};

int list_width() {
    int longest = kMinDirWidth;
    for (const Westring& dir : dirstore) longest = std::max(longest, TextCells(dir.c_str()));
    longest = std::min(longest, kMaxDirWidth);
    return (longest + 1) / 2 * 2 + kLinePrefix;
}

}  // namespace

Westring sp_line(int slot, int width) {
    Westring line(esprintf("%d - ", slot));
    if (slot < 0 || slot >= kSlots || dirstore[slot].empty()) return line + L"Empty";
    Westring dir = dirstore[slot];
    collapse_path(dir, std::max(1, width - kLinePrefix));
    return line + dir;
}

Westring unset_variable(const Westring& text) {
    const wchar_t* p = text.c_str();
    if (p[0] == L'~' && p[1] == L'/') {
        const char* home = std::getenv("HOME");
        if (!home || !*home) return Westring(L"HOME");
    }
    while (*p) {
        if (*p++ != L'$' || !is_name_char(*p)) continue;
        const wchar_t* name = p;
        while (is_name_char(*p)) p++;
        const Westring variable(name, static_cast<int>(p - name));
        const char* value = SessionEnv.GetAnyCase(variable.ToUTF8().c_str());
        if (!value || !*value) return Westring(L"$") + variable;
    }
    return Westring();
}

bool report_unset_variable(const Westring& stored) {
    const Westring unset = unset_variable(stored);
    if (unset.empty()) return false;
    (void)error(Westring(L"The variable ") + unset + L" is not set", stored, MB_OK);
    return true;
}

bool go_to_stored_path(PANEL* panel, int slot) {
    if (!panel || slot < 0 || slot >= kSlots || dirstore[slot].empty()) return false;
    const Westring stored = dirstore[slot];
    if (report_unset_variable(stored)) return false;
    Westring dir = stored;
    SubstEnvVars(dir);
    if (ResolvePath(dir, panel->GetWD().c_str()) != 0 || goto_directory(panel, dir) != 0) {
        (void)error(L"Invalid directory", stored, MB_OK);
        return false;
    }
    panel->type = PANEL_FILES;
    return true;
}

bool storepop(PANEL* panel) {
    if (!console || !panel) return false;
    const int width = list_width();
    Dialog dialog(-1, -kRowsAboveMiddle, width + 2, kSlots + 2, colours[CLR_MENU]);
    const wchar_t* title = L" Stored Paths ";
    dialog.puts_at(std::max(0, (width - TextCells(title)) / 2), -1, title);
    int selected = 0;
    auto* list = new SlotListBox(&dialog, width, selected);
    const int box = dialog.AddElement(list, 1);
    dialog.AddExitKey(KEY_INS);
    dialog.AddExitKey(KEY_DEL);
    dialog.ChangeFocus(box);
    for (;;) {
        const int key = dialog.Process();
        if (key == 27) return false;
        if (key == KEY_INS) {
            dirstore[selected] = panel->GetWD();
        } else if (key == KEY_DEL) {
            dirstore[selected] = Westring();
        } else if (key == KEY_ENTER && !dirstore[selected].empty()) {
            if (go_to_stored_path(panel, selected)) return true;
        }
        list->Refresh();
    }
}
