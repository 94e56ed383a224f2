// The message box of the file operations: every question and complaint of
// a copy, move or deletion goes through it.
#pragma once

#include "console/msgbox.h"
#include "lib/westring.h"

// Shows the message box (console/msgbox.h) with the progress of a running
// copy or move held back, so that neither draws over the other.
int file_error(const Westring& message, const Westring& title, int flags);
