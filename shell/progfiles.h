// Where the program's own files live.
#pragma once

#include "lib/westring.h"

// The program's own path, resolved to a full path at start-up.
extern Westring DVProg;

// Resolves DVProg from the running executable (argv0 is the fallback).
void SetProgramPath(const char* argv0);

enum DVFileType {
    DV_HELP = 0,
    DV_MANUAL = 1,
    DV_USER_MENU = 2,
    DV_CONFIG = 3,
    DV_HISTORY = 4,
    DV_LOG = 5,
    DV_SYNTAX = 6,
};

// The full name of a program file. location only matters for the syntax
// definitions: 0 the user's own file, otherwise the shared one.
Westring DVFilename(int type, int location = 0);

// A path made absolute against the current directory and resolved through
// symbolic links as far as it exists.
Westring FullPath(const char* path);
