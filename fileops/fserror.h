// The prompt for a failed file-system step: a message chosen by the error
// number, the path, and buttons that let the caller retry, skip or cancel.
#pragma once

#include "lib/westring.h"

// The private result codes of the file operations, besides 0 (done), -1
// (abort the command) and errno numbers.
enum : int {
    RESULT_SKIPPED = 0x10000,       // the user skipped the item (already reported)
    RESULT_OPEN_FOR_WRITE = 0x10001,  // the source is open for writing elsewhere
    RESULT_DRIVE_NOT_READY = 0x40000002,
};

// Shows the message for code with path (or path2 for the name errors) and
// waits for the answer. done is set unless the answer was Retry; Cancel
// (Esc) sets code to -1. Returns the answer key.
int fs_error(int& code, int& done, const wchar_t* path, const wchar_t* path2 = nullptr);
