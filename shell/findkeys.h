// Alt-F7: the find-file dialog; Shift-Alt-F7 opens it again on the files
// found last time.
#pragma once

#include "console/console.h"

class CMainLoop;

void find_files(CMainLoop& loop, int key, _MEVENT& event);
