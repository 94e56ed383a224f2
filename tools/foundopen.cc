#include "tools/foundopen.h"

#include <cwchar>
#include <mutex>
#include <new>

#include "console/console.h"
#include "exec/run.h"
#include "exec/substitute.h"
#include "panels/panel.h"
#include "viewer/viewer.h"

const FoundTool kFoundViewer = {&viewAssociations, &CONFIG::Viewer, &CONFIG::Viewer2};
const FoundTool kFoundEditor = {&editAssociations, &CONFIG::Editor, &CONFIG::Editor2};

namespace {

// A new entry with the fields of from under another name; null when
// memory ran out.
entry* renamed_copy(const entry& from, const wchar_t* name) {
    entry* copy = nullptr;
    try {
        copy = entry::Create(name);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    copy->size = from.size;
    copy->attr = from.attr;
    copy->mode = from.mode;
    copy->uid = from.uid;
    copy->gid = from.gid;
    copy->time = from.time;
    return copy;
}

const wchar_t* file_name_of(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'/');
    return slash ? slash + 1 : path;
}

}  // namespace

Westring found_command(const FoundTool& tool, const FoundFile& record, bool alternative) {
    if (alternative) return config.*tool.alternative;
    // The masks are written for names as a panel lists them, so the record
    // is matched under its own name, not its full path.
    entry* named = renamed_copy(*record.file, file_name_of(record.file->name));
    Westring command;
    const bool matched = named && tool.associations->FindAssociation(named, command);
    if (named) entry::Destroy(named);
    return matched ? command : config.*tool.command;
}

void run_found_command(Westring command, const Westring& path, PANEL* panel) {
    const int side = panel == panel_base + 1 ? 1 : 0;
    // A cancelled parameter or a failed expansion runs nothing.
    if (pling_subst(command, path.c_str(), side, SUBST_RUN_FILE) < 0) return;
    const int columns = console ? console->columns() : 80;
    const Westring echo = PanelPrompt(panel_base + side, columns) + DoubleCmdChar(command);
    // The command's failure is on its screen already.
    static_cast<void>(run(command.c_str(), side, echo.c_str(), 0));
}

int view_found_files(FoundList& found, int current) {
    // The viewer pages through a panel; this one lists the records by their
    // full paths under an empty directory, so that each path is opened as
    // it stands.
    PANEL panel;
    panel.visible = 1;
    panel.type = PANEL_FILES;
    {
        std::lock_guard<MutexSem> hold(found.lock());
        for (int i = 0; i < found.count(); i++) {
            if (panel.num_files == panel.max_files && !IncreaseMaxFiles(&panel)) break;
            entry* copy = renamed_copy(*found[i].file, found[i].file->name);
            if (!copy) break;
            panel.files[panel.num_files++] = copy;
        }
    }
    if (current < 0 || current >= panel.num_files) return current;
    // A page longer than the list: the viewer's moves of the cursor never
    // scroll, so the panel, which has no window, is never painted.
    panel.page_size = panel.num_files + 1;
    panel.top = 0;
    panel.cur = current;
    static_cast<void>(view_panel_files(panel));
    return panel.top + panel.cur;
}
