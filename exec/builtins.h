// The commands the program carries out itself instead of the shell: cd,
// which moves the panel (a shell's cd would end with the shell), and set,
// which changes the environment of every later command.
#pragma once

#include "lib/westring.h"

struct PANEL;

enum class BuiltinResult {
    kNotBuiltin,  // the shell runs it
    kDone,
    kFailed,      // reported to the user
};

// Carries out command on panel when it is a built-in.
[[nodiscard]] BuiltinResult RunBuiltin(PANEL* panel, const Westring& command);

// cd's argument as a directory for panel: "~" and "~/..." from HOME,
// "~user" from that user's home, "-" the panel's previous directory,
// nothing at all HOME; anything else resolved against the panel's
// directory. False when it cannot be made into a path.
[[nodiscard]] bool CdTarget(const PANEL* panel, const Westring& argument, Westring& path);
