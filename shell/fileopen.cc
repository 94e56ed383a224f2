#include "shell/fileopen.h"

#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/archive.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "exec/exechooks.h"
#include "exec/run.h"
#include "exec/substitute.h"
#include "exec/tmpfiles.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/screen.h"

namespace {

// The dialog that asks for a name: 74 by 9 cells at row 6.
constexpr int kAskTop = 6;
constexpr int kAskWidth = 74;
constexpr int kAskHeight = 9;
constexpr int kAskFieldWidth = 70;
constexpr int kMaxNameLength = 1024;

// The file a key acts on.
struct Target {
    int side = 0;       // the panel whose directory commands run in
    Westring name;      // what substitution puts in for the current name
    Westring path;      // the full path the program's own tool opens
    Westring title;     // the window title while the file is open
    const entry* e = nullptr;   // the panel entry, when there is one
    Archive* archive = nullptr;  // the archive the file is a member of, or null
};

bool is_plain_file(const entry* e) { return e && !e->is_dir() && !e->is_parent(); }

Westring join(const Westring& dir, const wchar_t* name) { return dir.AppendBackslash() + name; }

// The cursor file of the current panel; false when the key does nothing
// here. A member of an archive is only named (see take_out).
bool cursor_target(const FileTool& tool, Target& target) {
    PANEL* panel = current_panel();
    if (!panel->visible) return false;
    if (panel->type == PANEL_INFO) {
        if (!tool.info_file) return false;
        const PANEL* other = other_side_panel();
        target.side = 1 - currpanel;
        target.path = join(other->GetWD(), tool.info_file);
        target.name = target.path;
        target.title = tool.info_file;
        return true;
    }
    if (panel->type != PANEL_FILES) return false;
    const entry* e = panel->CurrentEntry();
    if (!is_plain_file(e)) return false;
    target.side = currpanel;
    target.e = e;
    target.title = e->name;
    target.archive = panel->archive;
    target.name = e->name;
    target.path = join(panel->dir, e->name);
    return true;
}

// Takes an archive member out into a temporary copy, which the target
// names from then on; false when that failed (already reported). Writing
// back what an earlier copy changed may run the archiver and read the
// panel again: the entry is not looked at after this.
bool take_out(Target& target) {
    if (!target.archive) return true;
    PANEL* panel = panel_base + target.side;
    Westring copy;
    if (!exec_hooks.extract_entry || exec_hooks.extract_entry(panel, target.e, copy) != 0 || copy.empty())
        return false;
    target.e = nullptr;
    // The copy's full path goes into the command: substitution takes a
    // name with a "/" as a real file.
    target.name = copy;
    target.path = copy;
    return true;
}

// The command that opens the target: the plain key's association or
// setting, or the variants' setting. Empty: the program's own tool.
Westring command_for(const FileTool& tool, const Target& target, bool alternative) {
    if (alternative) return config.*tool.alternative;
    Westring found;
    if (tool.associations) {
        const bool matched = target.e ? tool.associations->FindAssociation(target.e, found)
                                      : tool.associations->FindAssociation(target.title, found);
        if (matched) return found;
    }
    return config.*tool.command;
}

// Opens the target with command, or with the tool's own when command is
// empty. True when the desktop closed the window while the tool was open.
bool open_target(const FileTool& tool, Westring command, const Target& target) {
    set_title(target.title.c_str());
    command = command.trim();
    if (command.empty()) {
        // The tool covers the whole screen: the clock would draw over its heading.
        hide_clock();
        const bool quit = tool.open_internal(target.path);
        init_clock();
        return quit;
    }

    CleanupTmpFiles();
    // A cancelled parameter or a failed expansion runs nothing.
    if (pling_subst(command, target.name.c_str(), target.side, SUBST_RUN_FILE) < 0) return false;
    const int columns = console ? console->columns() : 80;
    const Westring echo = PanelPrompt(panel_base + target.side, columns) + DoubleCmdChar(command);
    // The command's failure is on its screen already.
    static_cast<void>(run(command.c_str(), target.side, echo.c_str(), 0));
    return false;
}

// A member's copy that changed goes back into its archive, as long as the
// panel still shows that archive (a failure is reported, the copy kept).
void write_back(const Target& target) {
    if (!target.archive || panel_base[target.side].archive != target.archive) return;
    static_cast<void>(target.archive->UpdateTmpFile());
}

// After the program's own tool: the files may have changed under both panels.
void after_internal_tool() {
    panel_refresh();
    PANEL* panel = current_panel();
    if (panel->visible && panel->type == PANEL_INFO) paint_panel(panel);
}

// The index of the entry named exactly name (case counts), or -1.
int entry_index(const PANEL* panel, const Westring& name) {
    for (int i = 0; i < panel->num_files; i++)
        if (std::wcscmp(panel->files[i]->name, name.c_str()) == 0) return i;
    return -1;
}

// The directory part of an absolute path ("/" for a file in the root).
Westring directory_of(const Westring& path) {
    const int slash = path.rchr(L'/');
    return slash <= 0 ? Westring(L"/") : path.left(slash);
}

// Asks for the name; false when the user cancelled or left it empty.
bool ask_name(const FileTool& tool, Westring& name) {
    Dialog dialog(-1, kAskTop, kAskWidth, kAskTop + kAskHeight - 1, colours[CLR_MESSAGES]);
    dialog.AddStaticText(1, 1, tool.ask);
    const int field = dialog.AddStringField(1, 2, 1, name, kAskFieldWidth, kMaxNameLength, tool.history);
    dialog.AddOkCancel(-1, -1, 1);
    dialog.ChangeFocus(field);
    if (dialog.Process() != 13) return false;
    name = name.trim();
    return !name.empty();
}

}  // namespace

void OpenCursorFile(CMainLoop& loop, const FileTool& tool, bool alternative) {
    Target target;
    if (!cursor_target(tool, target)) return;
    const Westring command = command_for(tool, target, alternative);
    if (!take_out(target)) return;
    const bool internal = command.trim().empty();
    const bool window_closed = open_target(tool, command, target);
    write_back(target);
    if (internal) after_internal_tool();
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    if (window_closed) loop.RequestExit();
}

void OpenNamedFile(CMainLoop& loop, const FileTool& tool) {
    PANEL* panel = current_panel();
    // The information panel has no directory of its own: the other one's
    // is used.
    const int side = panel->type == PANEL_INFO ? 1 - currpanel : currpanel;
    const PANEL* base = panel_base + side;

    // A member of an archive is no file in the directory the name is taken
    // in: only a real entry's name is offered.
    Westring name;
    const entry* cursor = panel->type == PANEL_FILES && !panel->archive ? panel->CurrentEntry() : nullptr;
    if (cursor && !cursor->is_parent()) name = cursor->name;
    const bool asked = ask_name(tool, name);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    if (!asked) return;

    Target target;
    target.side = side;
    target.path = AbsoluteFileName(name, base->GetWD());
    target.name = target.path;
    target.title = target.path.filename();
    const bool window_closed = open_target(tool, config.*tool.command, target);

    panel_refresh();
    const bool in_panel = std::wcscmp(directory_of(target.path).c_str(), panel->dir.c_str()) == 0;
    if (in_panel && file_list(panel) && !panel->archive) {
        const int index = entry_index(panel, target.path.filename());
        if (index >= 0) move_to(panel, index);
    }
    if (window_closed) loop.RequestExit();
}

Westring AbsoluteFileName(const Westring& name, const Westring& base) {
    std::vector<std::wstring> parts;
    const auto add = [&parts](const Westring& path) {
        const wchar_t* p = path.c_str();
        while (*p) {
            while (*p == L'/') p++;
            const wchar_t* start = p;
            while (*p && *p != L'/') p++;
            const std::wstring part(start, p);
            if (part.empty() || part == L".") continue;
            if (part == L"..") {
                if (!parts.empty()) parts.pop_back();
                continue;
            }
            parts.push_back(part);
        }
    };
    if (name[0] != L'/') add(base);
    add(name);
    std::wstring joined;
    for (const std::wstring& part : parts) {
        joined += L'/';
        joined += part;
    }
    if (joined.empty()) joined = L"/";
    return Westring(joined.c_str(), static_cast<int>(joined.size()));
}

Westring CurrentDirectory() {
    std::error_code failure;
    const std::filesystem::path dir = std::filesystem::current_path(failure);
    if (failure) return Westring(L"/");
    return DecodeFileName(dir.c_str());
}
