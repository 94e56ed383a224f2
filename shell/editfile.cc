#include "shell/editfile.h"

#include "config/config.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "exec/exechooks.h"
#include "panels/associations.h"
#include "shell/fileopen.h"
#include "shell/inifile.h"
#include "shell/progfiles.h"
#include "shell/screen.h"

EditorStarter internal_editor = &edit;

namespace {

// The history of the field that asks which file to edit.
constexpr int kEditNameHistory = 11;

EditorHooks saved_editor_hooks;
void (*saved_edit_command)(const Westring& file) = nullptr;

// True when the desktop closed the window while the editor was open.
bool open_in_editor(const Westring& path) {
    if (!internal_editor) return false;
    return internal_editor(path.c_str(), -1, 0) == EditorExit::kQuit;
}

const FileTool kEditorTool = {
    &editAssociations, &CONFIG::Editor, &CONFIG::Editor2, open_in_editor, L"dirinfo", L"Edit the file:",
    kEditNameHistory,
};

// "$edit file": a relative name is taken in the directory the command runs in.
void edit_command(const Westring& file) {
    if (file.empty()) {
        static_cast<void>(error(L"Which file? $edit needs the name of the file to edit", Westring(), MB_OK));
        return;
    }
    const Westring path = AbsoluteFileName(file, CurrentDirectory());
    set_title(path.filename().c_str());
    static_cast<void>(open_in_editor(path));
}

}  // namespace

void edit_cursor_file(CMainLoop& loop, int key, _MEVENT&) { OpenCursorFile(loop, kEditorTool, key != KEY_F4); }

void edit_named_file(CMainLoop& loop, int, _MEVENT&) { OpenNamedFile(loop, kEditorTool); }

int EditAlone(const Westring& name) {
    const Westring path = AbsoluteFileName(name, CurrentDirectory());
    set_title(path.filename().c_str());
    if (!internal_editor) return 1;
    return internal_editor(path.c_str(), -1, 0) == EditorExit::kNotOpened ? 1 : 0;
}

void InstallEditorHooks() {
    saved_editor_hooks = editor_hooks;
    saved_edit_command = exec_hooks.edit;
    editor_hooks.syntax_file = DVFilename(DV_SYNTAX, 1);
    editor_hooks.config_file = decide_ini_file(1);
    exec_hooks.edit = edit_command;
}

void RestoreEditorHooks() {
    editor_hooks = saved_editor_hooks;
    exec_hooks.edit = saved_edit_command;
}
