#include "shell/comparekeys.h"

#include "shell/mainloop.h"
#include "tools/dircompare.h"

void compare_directories(CMainLoop& loop, int, _MEVENT&) {
    directory_compare();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
