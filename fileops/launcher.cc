#include "fileops/launcher.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cwctype>

#include "console/console.h"
#include "console/dialog.h"
#include "console/msgbox.h"
#include "fileops/hooks.h"
#include "fileops/query/permissions.h"
#include "fileops/resolvepath.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/quote.h"
#include "lib/stdfile.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

bool launcher_terminal = false;

namespace {

constexpr int kTitleWidth = 33;
constexpr int kTitleLength = 250;

bool has_control_character(const Westring& text) {
    for (int i = 0; text[i]; i++)
        if (text[i] < 0x20 || text[i] == 0x7F) return true;
    return false;
}

bool is_program(const entry* e) {
    return e && !e->is_dir() && (MyPermissions(e->mode, e->uid, e->gid) & PERM_EXECUTE) != 0;
}

}  // namespace

void maketitle(const wchar_t* name, Westring& title) {
    Westring text(name);
    int dot = text.rchr(L'.');
    if (dot >= 0) text = text.left(dot);
    text.downcase();
    if (!text.empty()) text[0] = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(text[0])));
    title = text;
}

int create_object2(PANEL* panel, const wchar_t* file, const wchar_t* title, bool terminal) {
    if (!panel || !file) return EINVAL;
    Westring path(file);
    if (ResolvePath(path, panel->dir.c_str()) != 0) return ENOENT;
    Westring name(title ? title : L"");
    if (name.empty()) maketitle(last_component(path).c_str(), name);
    // Every line of the launcher is one line: a line break in a name would
    // start a new entry of the file's own.
    if (has_control_character(path) || has_control_character(name)) return EINVAL;
    const char* home = fileops_getenv("HOME");
    if (!home || !*home) return ENOENT;

    Westring file_name = name;
    for (int i = 0; file_name[i]; i++)
        if (file_name[i] == L'/') file_name[i] = L'_';
    Westring launcher = join_path(join_path(DecodeFileName(home), L"Desktop"), file_name + L".desktop");

    struct stat status;
    bool executable = stat(EncodeFileName(path).c_str(), &status) == 0 && !S_ISDIR(status.st_mode) &&
                      access(EncodeFileName(path).c_str(), X_OK) == 0;
    Westring exec = Westring(L"Exec=") + (executable ? L"" : L"xdg-open ") + QuoteName(path);

    StdFile out;
    int result = out.open(launcher, StdFile::kWrite | StdFile::kCreate | StdFile::kRegularOnly);
    if (result == ENOENT) {
        // A home without a Desktop directory yet: make it, as a desktop would.
        Westring desktop = dir_part(launcher);
        if (mkdir(EncodeFileName(desktop).c_str(), 0755) != 0 && errno != EEXIST) return errno;
        result = out.open(launcher, StdFile::kWrite | StdFile::kCreate | StdFile::kRegularOnly);
    }
    if (result != 0) return result;
    const Estring lines[] = {"#!/usr/bin/env xdg-open\n",
                             "[Desktop Entry]",
                             "Version=1.0",
                             "Encoding=UTF-8",
                             Estring("Name=") + name.ToUTF8(),
                             EncodeFileName(exec),
                             terminal ? "Terminal=true" : "Terminal=false",
                             "Type=Application"};
    for (const Estring& line : lines) {
        result = out.putln(line.c_str());
        if (result == 0) continue;
        // A launcher cut short is worse than none.
        (void)out.close();
        unlink(EncodeFileName(launcher).c_str());
        return result;
    }
    result = out.close();
    if (result != 0) unlink(EncodeFileName(launcher).c_str());
    return result;
}

namespace {

// Makes the launcher for file, and tells the user why when it cannot.
void make_reported(PANEL* panel, const wchar_t* file, const Westring& title) {
    int code = create_object2(panel, file, title.c_str(), launcher_terminal);
    if (code != 0) error(Westring(L"No launcher was made: ") + GetOSErrorMessage(code), Westring(file), MB_OK);
}

}  // namespace

void create_object(PANEL* panel) {
    if (!panel || panel->num_files == 0) return;
    entry* current = panel->CurrentEntry();
    const bool tagged = panel->num_tagged > 0;
    if (!tagged && (!current || current->is_parent())) return;

    int columns = 80, rows = 25;
    if (console) console->GetSize(columns, rows);
    Westring heading = tagged ? Westring(esprintf("Make %d objects", panel->num_tagged)) : Westring(L"Make an object for");
    Westring shown = tagged ? Westring() : Westring(current->name);
    collapse_path(shown, columns - 10);
    Westring title;
    if (!tagged) maketitle(current->name, title);
    const bool with_title = !tagged;
    const bool with_check = tagged || is_program(current);

    int width = std::max(40, shown.strlen());
    if (width & 1) width++;
    width += 4;
    int height = 6 + (with_title ? 2 : 0) + (with_check ? 2 : 0);
    {
        Dialog dialog(-1, -4, width, height, colours[CLR_MESSAGES]);
        int check = -1;
        if (with_check) {
            check = dialog.AddCheckBox(8, with_title ? 5 : 3, 1, launcher_terminal, L"Terminal session");
            dialog.SetAccelerators("f", 1);
        }
        dialog.AddStaticText(-1, 0, heading);
        if (!tagged) dialog.AddStaticText(-1, 1, shown);
        int field = -1;
        if (with_title) {
            dialog.AddStaticText(1, 3, L"Title:");
            field = dialog.AddStringField(8, 3, 1, title, kTitleWidth, kTitleLength, Dialog::kNoHistory);
        }
        int ok = dialog.AddOkCancel(-1, -1, 1);
        dialog.ChangeFocus(field >= 0 ? field : check >= 0 ? check : ok);
        if (dialog.Process() == 27) return;
    }

    if (!tagged) {
        make_reported(panel, current->name, title);
        return;
    }
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (!e->tagged) continue;
        Westring name;
        maketitle(e->name, name);
        make_reported(panel, e->name, name);
        tag(panel, i, -1);
    }
}
