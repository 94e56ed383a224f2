// Running what the user asks for: a typed command line, Enter on a file
// (its association or the program itself), a command for every tagged
// file. Built-in commands (cd, set) act on the program; everything else
// runs under the shell with the panels put away while it runs.
#pragma once

#include "lib/westring.h"

struct PANEL;
struct entry;

// What execute did.
enum ExecuteResult {
    EXECUTE_NOTHING = 0,
    EXECUTE_ENTERED = 1,  // a directory or an archive was entered
    EXECUTE_RAN = 2,      // something was run
};

// Enter: runs command when it is not empty (on the other panel when this one
// shows a tree or information), else acts on the cursor entry of panel
// side: enters a directory or archive, or runs the file's association or
// the program. With background the command goes through
// MakeBackgroundCommand.
ExecuteResult execute(PANEL* panels, int side, const wchar_t* command, bool background);

// Runs a command line on panel side: the typed parameters are asked for
// first (unless plain), then the command is expanded and run, once for
// every tagged file when it holds the per-file macro. echo is shown above
// the command's output. plain: the command runs for the cursor entry's
// file (SUBST_RUN_FILE). -1 when cancelled or failed, else the result of
// the last command run.
int run_file(const wchar_t* command, int side, const wchar_t* echo, bool plain);

enum RunFlags {
    RUN_EXTRA_LINE = 1,           // an empty line after the output
    RUN_IN_CURRENT_DIRECTORY = 8,  // the process is not moved into the panel's directory
};

// Runs one expanded command: the built-ins cd and set, else the external
// command with the screen prepared for its output. 0 or the command's exit
// status; -1 for a failure already reported.
int run(const wchar_t* command, int side, const wchar_t* echo, int flags);

// The command a file runs on Enter.
enum class AssocResult {
    kReady,      // command holds it, expanded
    kNone,       // no association, and not a program to run
    kCancelled,  // the user cancelled a parameter, or an extraction failed
};
[[nodiscard]] AssocResult assoc(const entry* e, Westring& command, int side);

// The command wrapped to run in a terminal window of its own, by the
// Background setting: each command character in it stands for the command;
// without one the command follows it after a blank.
void MakeBackgroundCommand(Westring& command);

// The prompt of a command run on panel: its directory shortened to half
// of columns and ">", or ">" alone when the PathPrompt setting is off. The
// command line shows it and the echo line above a command's output repeats it.
Westring PanelPrompt(const PANEL* panel, int columns);

// Off puts both panel windows (and the clock) away, keeping which panels
// are shown; on brings them back, reading or painting a panel marked for
// it, or making a window that does not exist.
void EnablePanels(bool on);
