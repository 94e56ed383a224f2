// Where the layers above command execution plug into it: archives, the
// internal viewer and editor, and the parts of the screen the application
// shell owns.
#pragma once

#include "lib/westring.h"

struct PANEL;
struct entry;
class CTerminalAttachment;
class PtySession;

struct ExecHooks {
    // Takes the entry out of the panel's archive into a temporary file and
    // sets path to it. 0, or -1 when it failed (already reported).
    int (*extract_entry)(PANEL* panel, const entry* e, Westring& path) = nullptr;
    // Opens the entry as an archive and shows it in the panel; false when
    // it is no archive the program reads.
    bool (*enter_archive)(PANEL* panel, entry* e) = nullptr;
    // A program was started on its own, with nobody waiting for it: files
    // taken out of archives for it must stay as they are while it runs.
    void (*background_started)() = nullptr;
    // The internal viewer and editor on a file.
    void (*view)(const Westring& file) = nullptr;
    void (*edit)(const Westring& file) = nullptr;
    // The clock and the key bar are put away while a command runs, and
    // the screen size read again after it.
    void (*hide_clock)() = nullptr;
    void (*hide_key_bar)() = nullptr;
    void (*after_command)() = nullptr;
    // The terminal that shows a running command and passes it the keys;
    // null gives the terminal emulator on the console.
    CTerminalAttachment* (*make_terminal)(PtySession& session) = nullptr;
};
extern ExecHooks exec_hooks;
