#include "tools/usermenu.h"

#include <vector>

#include "console/console.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/run.h"
#include "exec/substitute.h"
#include "exec/tmpfiles.h"
#include "lib/oserror.h"
#include "panels/panel.h"
#include "tools/usermenufile.h"
#include "tools/usermenustore.h"

namespace {

Westring& global_menu_file() {
    static Westring name;
    return name;
}

// The built-in cd in any of its forms ("cd", "cd dir", "cd..").
bool is_cd(const Westring& command) {
    const wchar_t* text = command.c_str();
    return text[0] == L'c' && text[1] == L'd' &&
           (text[2] == 0 || text[2] == L' ' || text[2] == L'\t' || text[2] == L'.');
}

// The names of the tagged entries, in the panel's order.
std::vector<Westring> tagged_names(const PANEL* panel) {
    std::vector<Westring> names;
    for (int i = 0; i < panel->num_files; i++)
        if (panel->files[i]->tagged) names.emplace_back(panel->files[i]->name);
    return names;
}

// A prepared command line, expanded for name and run. The process follows
// a cd, so that the commands after it run in the new directory.
int expand_and_run(const Westring& prepared, const Westring& name, int side) {
    Westring command = prepared;
    if (pling_subst(command, name.c_str(), side, SUBST_COMMAND_LINE) < 0) return -1;
    command = command.trim();
    const int result = run(command.c_str(), side, L"", RUN_IN_CURRENT_DIRECTORY);
    if (result == 0 && is_cd(command) && chdir_to_panel(panel_base + side) != 0) return -1;
    return result;
}

}  // namespace

void SetUserMenuFile(const Westring& global_file) { global_menu_file() = global_file; }

int RunMenuEntry(const MenuEntry& chosen, int side) {
    PANEL* panel = panel_base + side;
    CleanupTmpFiles();
    // Every line is prepared before any runs: cancelling a parameter of
    // the last line leaves the first unrun.
    std::vector<Westring> prepared;
    std::vector<bool> per_file;
    for (int i = 0; i < chosen.commands.count(); i++) {
        Westring command = *chosen.commands[i];
        const int kind = pling_subst(command, nullptr, side, SUBST_FIRST_PASS);
        if (kind < 0) return -1;
        prepared.push_back(command);
        per_file.push_back(kind == 1);
    }
    if (prepared.empty()) return 0;
    // The commands run where the process is: in the panel's directory.
    if (const int failure = chdir_to_panel(panel)) {
        static_cast<void>(error(GetOSErrorMessage(failure), panel->GetWD(), MB_OK));
        return -1;
    }
    int result = 0;
    for (size_t i = 0; i < prepared.size() && result == 0; i++) {
        if (per_file[i] && panel->num_tagged > 0) {
            for (const Westring& name : tagged_names(panel)) {
                result = expand_and_run(prepared[i], name, side);
                if (result != 0) break;
            }
        } else {
            const entry* cursor = panel->CurrentEntry();
            result = expand_and_run(prepared[i], cursor ? Westring(cursor->name) : Westring(), side);
        }
    }
    if (console) console->WriteTeletype("\n");
    return result;
}

void user_menu(int panel_index, bool global) {
    if (!console || panel_index < 0 || panel_index > 1) return;
    PANEL* panel = panel_base + panel_index;
    MenuStore menu;
    std::vector<MenuProblem> problems;
    LoadUserMenu(global_menu_file(), panel->GetWD(), !global, menu, problems);
    for (const MenuProblem& problem : problems) static_cast<void>(error(problem.message, problem.name, MB_OK));
    const MenuEntry* chosen = menu.Choose(L"User  Menu", -1);
    if (chosen) static_cast<void>(RunMenuEntry(*chosen, panel_index));
}
