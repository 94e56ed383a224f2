// Opening the desktop's file manager on a directory.
#pragma once

#include "lib/westring.h"

// Starts "xdg-open dir", found along the program search path, detached from
// the program (its own session, no terminal, standard streams on
// /dev/null). path_append names directories searched after PATH. False when
// xdg-open cannot be found or cannot be started.
[[nodiscard]] bool OpenShellWindow(const Westring& dir, const Westring& path_append = Westring());
