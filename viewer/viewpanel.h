// The seams of paging through a panel's files in the viewer: what opens one
// file, and how long "No more files" stays up. Tests replace both.
#pragma once

#include <cstdint>

#include "viewer/viewer.h"

// Opens one file in the program's own viewer (see view in viewer/viewer.h);
// null while the program has no viewer.
using ViewerStarter = ViewerExit (*)(const wchar_t* file, int64_t offset);
extern ViewerStarter internal_viewer;

// Keeps the "No more files" window up for milliseconds.
extern void (*viewer_pause)(int milliseconds);
