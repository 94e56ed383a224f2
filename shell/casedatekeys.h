// Ctrl-C: the case of the cursor or tagged names; the Files menu's
// "File Date/Time": their modification time.
#pragma once

#include "console/console.h"

class CMainLoop;

void change_file_case(CMainLoop& loop, int key, _MEVENT& event);
void change_file_dates(CMainLoop& loop);
