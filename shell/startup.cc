#include "shell/startup.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "archive/archivepanel.h"
#include "config/config.h"
#include "console/console.h"
#include "console/consoleview.h"
#include "console/msgbox.h"
#include "fileops/hooks.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/numfmt.h"
#include "lib/oserror.h"
#include "panels/infopanel.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/cmdline.h"
#include "shell/commandkeys.h"
#include "shell/configfile.h"
#include "shell/configread.h"
#include "shell/editfile.h"
#include "shell/filecommands.h"
#include "shell/helpfile.h"
#include "shell/helpviewer.h"
#include "shell/historykeys.h"
#include "shell/keybar.h"
#include "shell/mainloop.h"
#include "shell/progfiles.h"
#include "console/dialog.h"
#include "shell/screen.h"
#include "shell/screendump.h"
#include "shell/scrollback.h"
#include "tools/treehooks.h"
#include "shell/shutdown.h"
#include "shell/viewfile.h"

#ifndef DV_INSTALL_PREFIX
#define DV_INSTALL_PREFIX "/usr/local"
#endif

namespace {

constexpr int kMinColumns = 80;
constexpr int kMinRows = 25;

// What the program's hooks replaced, put back at the end of the run.
ConsoleHooks saved_console_hooks;
ConfigHooks saved_config_hooks;
PanelHooks saved_panel_hooks;
void (*saved_panel_clock_hook)() = nullptr;
void (*saved_refit_screen_hook)(int, int) = nullptr;
const char* (*saved_fileops_getenv)(const char*) = nullptr;
void (*saved_desc_not_stored)(const Westring&, const Westring&) = nullptr;
void (*chained_idle)() = nullptr;

// Runs whenever the program is about to wait for input: the clock, the
// screen dump when one is asked for, and the hook that was there before.
void clock_and_idle() {
    update_clock();
    DumpScreenIfAsked();
    if (chained_idle) chained_idle();
}

void reread_locale() {
    nls_init();
    init_thousand_separator();
    init_date_format();
    if (console) console->SetCodePage(effective_codepage());
}

// The file operation goes on; the user learns why the file has no description.
void tell_desc_not_stored(const Westring& path, const Westring& message) { (void)error(message, path, MB_OK); }

void redraw_panel_tops() {
    for (int side = 0; side < 2; side++) paint_panel(panel_base + side);
}

// The NumLock setting: the keypad types digits from the start.
void switch_num_lock_on() {
    if (console) console->SwitchNumLockOn();
}

void install_hooks() {
    saved_console_hooks = console_hooks;
    chained_idle = console_hooks.update_clock;
    console_hooks.update_clock = clock_and_idle;
    console_hooks.scrolled_off = AddScrollBackLine;
    install_resize_hooks();

    saved_config_hooks = config_hooks;
    config_hooks.numlock_on = switch_num_lock_on;
    config_hooks.store_panel_state = store_panel_state;
    config_hooks.remove_clock = hide_clock;
    config_hooks.make_clock = init_clock;
    config_hooks.reread_locale = reread_locale;
    config_hooks.redraw_panel_tops = redraw_panel_tops;
    config_hooks.refresh_panels = panel_refresh;
    config_hooks.change_lines = change_lines;

    saved_panel_hooks = panel_hooks;
    install_panel_drawing();
    install_info_panel();
    saved_panel_clock_hook = panel_clock_hook;
    saved_refit_screen_hook = refit_screen_hook;
    refit_screen_hook = refit_screen;
    panel_clock_hook = hide_clock;

    install_exec_hooks();
    InstallEditorHooks();
    InstallViewerHooks();
    InstallArchiveHooks();
    InstallTreeHooks();

    saved_fileops_getenv = fileops_hooks.getenv;
    fileops_hooks.getenv = session_getenv;
    saved_desc_not_stored = fileops_hooks.desc_not_stored;
    fileops_hooks.desc_not_stored = tell_desc_not_stored;
}

// Fresh panel records for the run.
void allocate_panels() {
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panel_base + side;
        panel->~PANEL();
        new (panel) PANEL();
    }
    currpanel = 0;
}

bool is_directory(const Westring& dir) {
    struct stat status;
    return !dir.empty() && stat(EncodeFileName(dir).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

Westring absolute(const Westring& dir) {
    if (dir.empty()) return dir;
    Westring full = FullPath(EncodeFileName(dir).c_str());
    return full.empty() ? dir : full;
}

Westring current_directory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return Westring();
        buffer.resize(buffer.size() * 2);
    }
    return DecodeFileName(buffer.data());
}

// The panel's start directory, as the panel's directory. A directory that
// was asked for and cannot be shown is returned in missed.
void set_start_directory(PANEL* panel, const Westring& named, const Westring& setting, Westring& missed) {
    panel->dir = StartDirectory(named, setting);
    panel->read_dir = Westring();
    const Westring wanted = absolute(!named.empty() ? named : setting);
    missed = !wanted.empty() && wanted != panel->dir ? wanted : Westring();
}

// Says which start directory could not be opened, why, and what the panel
// shows instead.
void report_missed_start(const Westring& missed, const wchar_t* side, const Westring& shown) {
    if (missed.empty()) return;
    struct stat status;
    int code = stat(EncodeFileName(missed).c_str(), &status) != 0 ? errno : ENOTDIR;
    error(Westring(L"Cannot open ") + missed + L": " + GetOSErrorMessage(code),
          Westring(side) + L" panel shows " + shown, MB_OK);
}

void screen_minimum() {
    get_screen_size();
    if (config.screen_columns < kMinColumns || config.screen_rows < kMinRows) {
        const int rows = config.screen_rows < kMinRows ? kMinRows : config.screen_rows;
        const int columns = config.screen_columns < kMinColumns ? kMinColumns : config.screen_columns;
        set_lines(rows, columns);
        get_screen_size();
    }
}

// The part of the start-up every run has: icons, hooks, locale,
// configuration and the screen's size.
void start_settings() {
    std::vector<Westring> icons;
    for (bool scalable : {false, true}) {
        Westring icon = IconFile(scalable);
        if (access(EncodeFileName(icon).c_str(), R_OK) == 0) icons.push_back(icon);
    }
    if (!icons.empty()) console->SetIcons(icons);
    install_hooks();

    allocate_panels();
    break_status = 0;
    key_bar = -1;
    hide_clock();
    get_screen_size();

    std::setlocale(LC_ALL, "");
    reread_locale();

    configure(false);
    nls_init();
    screen_minimum();

    // The help text is read whole; a missing file leaves F1 saying so.
    load_help();
    InstallHelpHooks();
    reread_locale();
}

}  // namespace

Westring IconFile(bool scalable) {
    const char* relative = scalable ? "/share/icons/hicolor/scalable/apps/dorvik.svg"
                                    : "/share/icons/hicolor/16x16/apps/dorvik.png";
    Westring installed = Westring(DV_INSTALL_PREFIX) + Westring(relative);
    struct stat status;
    if (stat(EncodeFileName(installed).c_str(), &status) == 0) return installed;
    return Westring("/usr") + Westring(relative);
}

Westring StartDirectory(const Westring& named, const Westring& setting) {
    const Westring chosen = !named.empty() ? named : setting;
    Westring dir = absolute(chosen);
    if (is_directory(dir)) return dir;
    dir = current_directory();
    if (is_directory(dir)) return dir;
    const char* home = std::getenv("HOME");
    if (home && *home) {
        dir = absolute(DecodeFileName(home));
        if (is_directory(dir)) return dir;
    }
    return Westring(L"/");
}

void StartUp() {
    start_settings();
    create_key_bar();

    // Load the history: the commands and field values of earlier runs.
    StartHistory();

    Westring missed_left, missed_right;
    set_start_directory(panel_base, program_args.left_dir, config.Left, missed_left);
    set_start_directory(panel_base + 1, program_args.right_dir, config.Right, missed_right);

    console->Write("\n\n");
    init_panel(panel_base, 0);
    init_panel(panel_base + 1, 1);

    currpanel = config.StartupSide == 'R' ? 1 : 0;
    set_title(nullptr);
    make_curr(panel_base, currpanel);
    report_missed_start(missed_left, L"The left", panel_base[0].dir);
    report_missed_start(missed_right, L"The right", panel_base[1].dir);
}

void RestoreHooks() {
    console_hooks = saved_console_hooks;
    config_hooks = saved_config_hooks;
    panel_hooks = saved_panel_hooks;
    panel_clock_hook = saved_panel_clock_hook;
    refit_screen_hook = saved_refit_screen_hook;
    fileops_hooks.getenv = saved_fileops_getenv;
    RestoreEditorHooks();
    RestoreViewerHooks();
    RestoreHelpHook();
    restore_exec_hooks();
    RestoreTreeHooks();
    StopHistory();
    fileops_hooks.desc_not_stored = saved_desc_not_stored;
    chained_idle = nullptr;
}

bool (*remote_session_hook)(const Estring& host) = nullptr;

int RunProgram(int argc, char** argv, CConsoleView* view) {
    if (DVProg.empty()) SetProgramPath(argc > 0 ? argv[0] : nullptr);
    program_args = PROGRAM_ARGS();
    Estring message;
    if (ParseArguments(argc, argv, program_args, message) != 0) {
        std::fputs(message.c_str(), stdout);
        std::fflush(stdout);
        delete view;
        return 1;
    }
    const bool own_console = view != nullptr;
    if (own_console) console = new CConsole(view);
    if (!console) return 1;

    int status = 0;
    if (!program_args.remote_host.empty() && remote_session_hook) {
        status = remote_session_hook(program_args.remote_host) ? 0 : 1;
    } else if (!program_args.edit_file.empty()) {
        // The editor alone: no panels, and the program ends with it.
        start_settings();
        status = EditAlone(program_args.edit_file);
        RestoreHooks();
    } else if (!program_args.view_file.empty()) {
        // The viewer alone, the same way.
        start_settings();
        status = ViewAlone(program_args.view_file);
        RestoreHooks();
    } else {
        StartUp();
        MainLoop();
        status = ShutDown();
    }

    if (own_console) {
        delete console;
        console = nullptr;
    }
    return status;
}
