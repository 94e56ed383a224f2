// A remote session: the window becomes the screen and keyboard of the
// program running on another host, reached through ssh.
#pragma once

#include "lib/estring.h"

struct RemoteOptions {
    // The program that reaches the host, run as PROGRAM -- HOST vi-vizevu;
    // null: $DV_REMOTE_SSH when set, else ssh.
    const char* program = nullptr;
    // After the connection ends the window says so and waits for a key.
    bool wait_for_key = true;
};

// Runs the session on the program-wide console, which must be up. True
// when the remote end ran and the connection ended with status 0; in every
// other case the window has said what happened.
[[nodiscard]] bool RunRemote(const Estring& host, const RemoteOptions& options = RemoteOptions());
