// Substitution: the command character (CmdChar, "!" unless configured)
// with a letter puts file names, lists, directories, list files and typed
// parameters into a command. Every name put in is quoted for the shell, so
// that it reaches the program as exactly one argument whatever it holds;
// a relative name starting with "-" gets "./" so that it is no option.
// "$NAME" in the typed text is replaced by the variable's value; the names
// put in are never looked at for "$".
#pragma once

#include "lib/westring.h"

enum SubstMode : char {
    SUBST_COMMAND_LINE = 0,  // a typed command; the current name is the cursor entry's
    SUBST_RUN_FILE = 1,      // a command run for a given file, which is appended when no macro names it
    SUBST_FIRST_PASS = 2,    // only the typed parameters (!i) are asked for; the rest stays
};

// Expands command in place for panel side. name is the file of the run in
// SUBST_RUN_FILE and of the per-file macro !t (null: empty). Returns -1 when
// cancelled or failed (nothing should run), 1 when the command holds the
// per-file macro, else 0.
[[nodiscard]] int pling_subst(Westring& command, const wchar_t* name, int side, SubstMode mode);

// The command with every command character doubled, so that it shows as
// written when it goes through substitution again (echo lines).
Westring DoubleCmdChar(const Westring& command);

// The longest command the list macros grow: the rest of the tagged files
// stay tagged for the next run.
constexpr int kMaxListCommand = 1000;
