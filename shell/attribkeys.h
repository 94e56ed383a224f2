// Ctrl-A: the attributes of the cursor file or the tagged files; Ctrl-I:
// the file information of the cursor file.
#pragma once

#include "console/console.h"

class CMainLoop;

void change_attributes(CMainLoop& loop, int key, _MEVENT& event);
void show_file_information(CMainLoop& loop, int key, _MEVENT& event);
