// The seams of paging through a panel's files in the viewer: what opens one
// file, how long "No more files" stays up, and what names the file in the
// window's title. The shell installs the title; tests replace the others.
#pragma once

#include <cstdint>

#include "viewer/viewer.h"

// Opens one file in the program's own viewer (see view in viewer/viewer.h).
// Tests put a fake here.
using ViewerStarter = ViewerExit (*)(const wchar_t* file, int64_t offset);
extern ViewerStarter internal_viewer;

// Keeps the "No more files" window up for milliseconds.
extern void (*viewer_pause)(int milliseconds);

// Names the file being viewed in the window's title; null leaves the title
// alone.
extern void (*viewer_title)(const wchar_t* name);
