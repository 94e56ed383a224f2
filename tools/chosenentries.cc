#include "tools/chosenentries.h"

#include <cstdio>

#include "lib/collapsepath.h"
#include "panels/entry.h"
#include "panels/panel.h"

std::vector<Westring> ChosenNames(const PANEL* panel) {
    std::vector<Westring> names;
    if (!panel) return names;
    const int cursor = panel->top + panel->cur;
    for (int i = 0; i < panel->num_files; i++) {
        const entry* e = panel->files[i];
        if (e->is_parent()) continue;
        if (panel->num_tagged > 0 ? e->tagged != 0 : i == cursor) names.push_back(Westring(e->name));
    }
    return names;
}

Westring ChosenSubject(const PANEL* panel) {
    if (panel->num_tagged == 0) {
        const int cursor = panel->top + panel->cur;
        Westring name = cursor < panel->num_files ? Westring(panel->files[cursor]->name) : Westring();
        collapse_path(name, 26);
        return name;
    }
    wchar_t text[32];
    std::swprintf(text, 32, L"%d file%ls", static_cast<int>(panel->num_tagged), panel->num_tagged == 1 ? L"" : L"s");
    return Westring(text);
}
