// CFileViewer: one file of any size shown read-only on the whole console,
// as text (decoded as the editor decodes it, with syntax colours, wrapped
// or not) or as a hex dump. It reads only what the page shows, so a file of
// gigabytes opens and reaches its end at once.
#pragma once

#include <cstdint>

#include "lib/westring.h"

struct PANEL;

// The keys that end the viewer and that the caller may act on.
enum class ViewerExit {
    kClosed,    // Esc, F3, F10
    kPrevious,  // Alt-Up: the panel's previous file
    kNext,      // Alt-Down: the panel's next file
    kQuit,      // the desktop closed the window
};

// What the levels above the viewer lend it.
struct ViewerHooks {
    // Shows help page topic; null while there is no help.
    void (*help)(int topic) = nullptr;
};
extern ViewerHooks viewer_hooks;

// Views file from offset (-1: where the user left it last time). The
// viewer's Alt-F4 opens the editor at the same place.
ViewerExit view(const wchar_t* file, int64_t offset = -1);

// Views the panel's cursor file; Alt-Up and Alt-Down step to the previous
// and next file that is not a directory ("No more files" at either end).
// Members of an archive are taken out first. Afterwards the cursor stands
// on the last file viewed. Returns how the last view ended.
ViewerExit view_panel_files(PANEL& panel);
