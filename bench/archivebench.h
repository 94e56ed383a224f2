// What the archive command benchmarks share: a headless console with the
// archivers configured, an archive file opened in a panel as entering it
// would, tagging in that panel, and checks of what the archiver left.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "archive/archivepanel.h"
#include "bench/benchpanel.h"
#include "config/archivers.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "console/keys.h"
#include "exec/environment.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/panel.h"

// The program-wide console on a headless view, the archive hooks and the
// built-in archiver commands; archiver output goes to the console's terminal.
inline void SetUpArchiveBench() {
    console = new CConsole(new CHeadlessView());
    SessionEnv.Set("SHELL", "/bin/sh");
    InstallArchiveHooks();
    InitializeArchivers();
}

inline void TearDownArchiveBench() {
    for (int side = 0; side < 2; side++) {
        CloseArchives(panel_base + side);
        panel_base[side].FreeEntries();
        panel_base[side].window.reset();
    }
    delete console;
    console = nullptr;
}

// Enter as the user presses it, queued for the next dialog to read.
inline void QueueEnter() {
    CConsole::TEvent enter;
    enter.type = CConsole::TEvent::Key;
    enter.key = KEY_ENTER;
    enter.unicode = 13;
    console->PostEvent(enter);
}

// Shows dir in panel (leaving any archive it showed) and enters the archive
// file name there; false when it cannot be opened.
inline bool OpenArchiveInPanel(PANEL& panel, const std::string& dir, const std::string& name) {
    CloseArchives(&panel);
    SetUpBenchPanel(panel, dir);
    ForgetListing(panel);
    read_panel(&panel);
    const Westring wide = DecodeFileName(name.c_str());
    for (int i = 0; i < panel.num_files; i++)
        if (wide == panel.files[i]->name) return EnterArchive(&panel, panel.files[i]);
    return false;
}

// Tags the entries of panel that chosen accepts (never ".."), untagging
// the rest; the number tagged.
inline int TagEntries(PANEL& panel, const std::function<bool(const entry*)>& chosen) {
    panel.num_tagged = 0;
    panel.tagged_size = 0;
    for (int i = 0; i < panel.num_files; i++) {
        entry* e = panel.files[i];
        e->tagged = !e->is_parent() && chosen(e);
        e->done = 0;
        if (!e->tagged) continue;
        panel.num_tagged++;
        panel.tagged_size += e->size;
    }
    return panel.num_tagged;
}

// Regular files below dir, at any depth; -1 when it cannot be walked.
inline long CountFilesBelow(const std::string& dir) {
    std::error_code failure;
    long files = 0;
    for (std::filesystem::recursive_directory_iterator it(dir, failure), end; !failure && it != end;
         it.increment(failure))
        if (it->is_regular_file(failure)) files++;
    return failure ? -1 : files;
}

// Runs a shell command; false (with the command printed) when it fails.
inline bool Shell(const std::string& command) {
    if (std::system(command.c_str()) == 0) return true;
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return false;
}
