// A text copy of the screen for end-to-end tests and benchmarks: when the
// environment variable DV_SCREEN_DUMP names a file, the main loop writes the
// screen's rows there (UTF-8, one line each) every time it waits for input,
// in the main loop and in dialogs alike.
#pragma once

#include "lib/estring.h"

// The file named by DV_SCREEN_DUMP, or empty.
Estring ScreenDumpFile();
// Writes the screen's rows to file through a temporary file beside it, so
// that a reader never sees half a screen. 0 or the error number.
[[nodiscard]] int WriteScreenDump(const char* file);
// Writes the dump when one is asked for.
void DumpScreenIfAsked();
