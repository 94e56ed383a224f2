#include "shell/historykeys.h"

#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/progfiles.h"
#include "tools/historyfile.h"
#include "tools/historywindow.h"

void show_command_history(CMainLoop& loop, int, _MEVENT&) {
    Westring line = loop.cmd().text();
    int cursor = loop.cmd().pos();
    const HistoryPanelResult result = history_panel(currpanel, line, cursor);
    if (result == HISTORY_COPIED) {
        loop.cmd().Set(line);
        loop.cmd().SetPos(cursor);
    }
    if (result == HISTORY_RAN) loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void show_directory_history(CMainLoop& loop, int, _MEVENT&) {
    DirHistoryBox(directory_target());
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void StartHistory() {
    SetHistoryFile(DVFilename(DV_HISTORY));
    InstallHistoryHooks();
    init_history();
}

void StopHistory() { RemoveHistoryHooks(); }
