#include "exec/run.h"

#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/msgbox.h"
#include "exec/builtins.h"
#include "exec/chdir.h"
#include "exec/exechooks.h"
#include "exec/histories.h"
#include "exec/pathsearch.h"
#include "exec/smartexec.h"
#include "exec/substitute.h"
#include "exec/tmpfiles.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/associations.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

ExecHooks exec_hooks;

namespace {

constexpr int kNormalCursor = 15;

// The echo line's prompt: the command line's, for the screen's width.
Westring echo_prompt_of(const PANEL* panel) {
    int columns = 80, rows = 25;
    if (console) static_cast<void>(console->GetSize(columns, rows));
    return PanelPrompt(panel, columns);
}

// The panel a typed command works on: the other one when this one shows a
// tree or information.
int command_side(const PANEL* panels, int side) {
    const PANEL* panel = panels + side;
    return panel->type == PANEL_INFO || panel->detail == DETAIL_TREE ? 1 - side : side;
}

// The screen made ready for a command's output: the panels, clock and key
// bar put away, the echo line above the output, the whole screen for
// selections. The destructor restores what the command may not keep.
class CommandScreen {
public:
    // extra_line: an empty line follows the output.
    CommandScreen(const Westring& command, const Westring& echo, bool extra_line);
    ~CommandScreen();
    CommandScreen(const CommandScreen&) = delete;
    CommandScreen& operator=(const CommandScreen&) = delete;

private:
    CConsole::Rect zone_;
    bool extra_line_;
};

CommandScreen::CommandScreen(const Westring& command, const Westring& echo, bool extra_line)
    : extra_line_(extra_line) {
    EnablePanels(false);
    if (!console) return;
    if (config.NumLock) console->SwitchNumLockOn();
    const int columns = console->columns(), rows = console->rows();
    console->SetAttr(colours[CLR_COMMAND_LINE]);
    console->SetCursorType(kNormalCursor);
    console->PutStringAt(0, rows - 2, echo.left(columns).pad(columns).c_str(), colours[CLR_COMMAND_LINE]);
    if (exec_hooks.hide_key_bar) exec_hooks.hide_key_bar();
    console->Clear(0, rows - 1, columns, 1, colours[CLR_COMMAND_LINE]);
    console->SetCursorPos(0, echo.empty() ? rows - 2 : rows - 1);
    console->GetSelectionZone(zone_);
    console->SetSelectionZone(0, 0, columns, rows);
    console->SetTitle((Westring(L"DV/L: ") + command).c_str());
}

CommandScreen::~CommandScreen() {
    if (console) {
        console->SetSelectionZone(zone_);
        int x = 0, y = 0;
        console->GetCursorPos(x, y);
        if (x != 0) console->WriteTeletype("\n");
        console->WriteTeletype(extra_line_ ? "\n\n" : "\n");
        console->SetCursorType(0);
    }
    if (exec_hooks.after_command) exec_hooks.after_command();
    panel_base[0].reread = 1;
    panel_base[1].reread = 1;
}

int run_external(PANEL* panel, const Westring& command, const Westring& echo, int flags) {
    if (!(flags & RUN_IN_CURRENT_DIRECTORY)) {
        if (int failure = chdir_to_panel(panel)) {
            static_cast<void>(error(GetOSErrorMessage(failure), panel->GetWD(), MB_OK));
            return -1;
        }
    }
    CommandScreen screen(command, echo, (flags & RUN_EXTRA_LINE) != 0);
    return smartexec(command);
}

// The names of the tagged entries, in the panel's order.
std::vector<Westring> tagged_names(const PANEL* panel) {
    std::vector<Westring> names;
    for (int i = 0; i < panel->num_files; i++)
        if (panel->files[i]->tagged) names.emplace_back(panel->files[i]->name);
    return names;
}

void untag_by_name(PANEL* panel, const Westring& name) {
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (!e->tagged || !(name == e->name)) continue;
        e->tagged = 0;
        e->done = 1;
        panel->num_tagged--;
        panel->tagged_size -= e->size;
        return;
    }
}

// A file the user may run: a program (ELF or "#!") with execute permission,
// the link followed.
bool runnable(const Westring& path) { return IsRunnableProgram(EncodeFileName(path).c_str()); }

ExecuteResult enter_entry(PANEL* panels, int side, bool background) {
    PANEL* panel = panels + side;
    entry* e = panel->visible ? panel->CurrentEntry() : nullptr;
    if (!e) return EXECUTE_NOTHING;
    if (e->is_dir()) {
        if (panel->detail == DETAIL_TREE) {
            TREENODE* node = entry_tree_node(e);
            if (node) static_cast<void>(goto_directory(panels + (1 - side), tree_node_path(node)));
        } else {
            change_dir(panels, side, e->name, 0, -1, -1);
        }
        return EXECUTE_ENTERED;
    }
    Westring command;
    switch (assoc(e, command, side)) {
    case AssocResult::kCancelled:
        return EXECUTE_NOTHING;
    case AssocResult::kNone:
        if (exec_hooks.enter_archive && exec_hooks.enter_archive(panel, e)) return EXECUTE_ENTERED;
        return EXECUTE_NOTHING;
    case AssocResult::kReady:
        break;
    }
    if (background) MakeBackgroundCommand(command);
    Westring echo = echo_prompt_of(panel) + DoubleCmdChar(command);
    AddCommandHistory(command);
    static_cast<void>(run(command.c_str(), side, echo.c_str(), RUN_EXTRA_LINE));
    return EXECUTE_RAN;
}

}  // namespace

Westring PanelPrompt(const PANEL* panel, int columns) {
    if (!config.PathPrompt) return Westring(L">");
    Westring dir = panel->GetWD();
    collapse_path(dir, columns / 2 - 1);
    return dir + L">";
}

void EnablePanels(bool on) {
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panel_base + side;
        if (!panel->visible) continue;
        if (!on) {
            // The window goes, the panel stays marked as shown.
            panel->window.reset();
        } else if (!panel->window) {
            make_panel(panel, side);
        } else if (panel->reread && panel->type == PANEL_FILES) {
            read_panel(panel);
            paint_panel(panel);
        }
    }
    if (!on && exec_hooks.hide_clock) exec_hooks.hide_clock();
}

AssocResult assoc(const entry* e, Westring& command, int side) {
    PANEL* panel = panel_base + side;
    Westring found;
    if (execAssociations.FindAssociation(e, found)) {
        if (pling_subst(found, e->name, side, SUBST_RUN_FILE) < 0) return AssocResult::kCancelled;
        command = found;
        return AssocResult::kReady;
    }
    if (panel->archive || e->is_dir()) return AssocResult::kNone;
    Westring path = panel->dir.AppendBackslash() + e->name;
    if (!runnable(path)) return AssocResult::kNone;
    Westring program(L"!");
    program[0] = static_cast<unsigned char>(config.CmdChar ? config.CmdChar : '!');
    if (pling_subst(program, path.c_str(), side, SUBST_RUN_FILE) < 0) return AssocResult::kCancelled;
    command = program;
    return AssocResult::kReady;
}

void MakeBackgroundCommand(Westring& command) {
    const wchar_t command_char = static_cast<unsigned char>(config.CmdChar ? config.CmdChar : '!');
    const Westring& prefix = config.Background;
    if (prefix.chr(command_char) < 0) {
        command = prefix + L" " + command;
        return;
    }
    Westring wrapped;
    for (const wchar_t* p = prefix.c_str(); *p; p++) {
        if (*p == command_char) wrapped += command;
        else wrapped += *p;
    }
    command = wrapped;
}

int run(const wchar_t* given, int side, const wchar_t* echo, int flags) {
    PANEL* panel = panel_base + side;
    Westring command = Westring(given).trim();
    switch (RunBuiltin(panel, command)) {
    case BuiltinResult::kDone:
        return 0;
    case BuiltinResult::kFailed:
        return -1;
    case BuiltinResult::kNotBuiltin:
        break;
    }
    return run_external(panel, command, Westring(echo), flags);
}

int run_file(const wchar_t* given, int side, const wchar_t* echo, bool plain) {
    PANEL* panel = panel_base + side;
    CleanupTmpFiles();
    static_cast<void>(chdir_to_panel(panel));
    Westring command(given);
    int per_file = 0;
    if (!plain) {
        per_file = pling_subst(command, nullptr, side, SUBST_FIRST_PASS);
        if (per_file < 0) return -1;
    }
    if (per_file == 1 && panel->num_tagged > 0) {
        int result = 0;
        Westring shown(echo);
        for (const Westring& name : tagged_names(panel)) {
            Westring one = command;
            if (pling_subst(one, name.c_str(), side, SUBST_COMMAND_LINE) < 0) return -1;
            untag_by_name(panel, name);
            result = run(one.c_str(), side, shown.c_str(), 0);
            if (result != 0) break;
            shown = Westring();
        }
        return result;
    }
    entry* current = panel->CurrentEntry();
    Westring name = current ? Westring(current->name) : Westring();
    if (pling_subst(command, name.c_str(), side, plain ? SUBST_RUN_FILE : SUBST_COMMAND_LINE) < 0) return -1;
    return run(command.c_str(), side, echo, 0);
}

ExecuteResult execute(PANEL* panels, int side, const wchar_t* typed, bool background) {
    Westring command = Westring(typed).trim();
    if (command.empty()) return enter_entry(panels, side, background);
    side = command_side(panels, side);
    if (background) MakeBackgroundCommand(command);
    Westring echo = echo_prompt_of(panels + side) + command;
    AddCommandHistory(command);
    static_cast<void>(run_file(command.c_str(), side, echo.c_str(), false));
    return EXECUTE_RAN;
}
