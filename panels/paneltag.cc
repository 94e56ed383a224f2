// Tagging panel entries one at a time, all at once and by a mask.
#include <cstdio>

#include "config/config.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "lib/nls.h"
#include "panels/mask.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelgeometry.h"

namespace {

// The mask of the select and unselect dialog, kept for the whole run.
Westring& wild_tag_mask() {
    static Westring mask(L"*");
    return mask;
}

constexpr int kMaskHistory = 4;

bool shift_held(int shift_state) { return (shift_state & CConsole::TEvent::Shift) != 0; }

// Whether tagging with how reaches the entry: directories only when they are
// included, the reserved files never when selecting.
bool admitted(const entry* e, int how, bool directories) {
    if (e->is_dir() && !directories) return false;
    if (how > 0 && reserved_file(e->name)) return false;
    if (how == 0 && !e->tagged && reserved_file(e->name)) return false;
    return true;
}

bool directories_included(int how, int shift_state) {
    if (how < 0) return true;
    return config.TagDirs != shift_held(shift_state);
}

Westring wild_tag_heading(int how, bool directories) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%ls the files%-12ls", how > 0 ? L"Select" : L"Unselect",
                  directories ? L"/directories" : L"");
    return Westring(text);
}

}  // namespace

bool reserved_file(const wchar_t* name) {
    if (!name) return false;
    for (const wchar_t* reserved : {L"descript.ion", L"EA DATA. SF", L"WP ROOT. SF"}) {
        if (fncompare(name, reserved) == 0) return true;
    }
    return false;
}

void tag(PANEL* panel, int index, int how) {
    if (panel->type != PANEL_FILES || panel->detail == DETAIL_TREE) return;
    if (index < 0 || index >= panel->num_files) return;
    entry* e = panel->files[index];
    if (e->is_parent()) return;
    const bool on = how > 0 ? true : how < 0 ? false : !e->tagged;
    if (static_cast<bool>(e->tagged) == on) return;
    e->tagged = on;
    if (on) {
        panel->num_tagged++;
        panel->tagged_size += e->size;
    } else {
        panel->num_tagged--;
        panel->tagged_size -= e->size;
    }
    print_entry(panel, index, 0, nullptr);
}

void tag_all(PANEL* panel, int how, int shift_state) {
    if (!panel->visible || panel->num_files == 0) return;
    const bool directories = directories_included(how, shift_state);
    if (console) console->BeginPaint();
    for (int i = 0; i < panel->num_files; i++) {
        if (admitted(panel->files[i], how, directories)) tag(panel, i, how);
    }
    if (console) console->EndPaint();
}

void wild_tag(PANEL* panel, int how, int shift_state) {
    if (!console) return;
    how = how > 0 ? 1 : -1;
    bool directories = directories_included(how, shift_state);
    Westring& mask = wild_tag_mask();

    Dialog dialog(-1, 6, 34, 6 + 10 - 1, colours[CLR_MESSAGES]);
    const int field = dialog.AddStringField(1, 1, 1, mask, 30, -1, kMaskHistory);
    dialog.puts_at(19, 3, L" Alt-D=Dirs ");
    dialog.AddOkCancel(-1, -1, 1);
    dialog.AddExitKey(alt_key('d'));
    dialog.ChangeFocus(field);
    for (;;) {
        dialog.puts_at(1, 0, wild_tag_heading(how, directories).c_str());
        const int result = dialog.Process();
        if (result == alt_key('d')) {
            directories = !directories;
            continue;
        }
        if (result != 13) return;
        if (mask_eval(mask, L"test") < 0) {
            error(L"Syntax error in search expression", mask, MB_OK);
            continue;
        }
        break;
    }
    console->BeginPaint();
    for (int i = 0; i < panel->num_files; i++) {
        const entry* e = panel->files[i];
        if (admitted(e, how, directories) && mask_eval(mask, *e) == 1) tag(panel, i, how);
    }
    console->EndPaint();
}
