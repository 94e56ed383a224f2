// Where the configuration file is, and opening it: for reading, or for
// writing a temporary file beside it that a save puts in its place.
#pragma once

#include "lib/stdfile.h"
#include "lib/westring.h"

// The file to read (flags 1) or write (flags with bit 2 set).
Westring decide_ini_file(int flags);
// Opens the file to read, or for writing the temporary file beside the
// (symbolic-link-resolved) file to replace. 0, or the error number; a
// failure other than a missing file to read has been shown to the user.
[[nodiscard]] int openini(StdFile& file, int flags);
// The temporary name a configuration file is written under before it
// replaces the file: its last three characters become "!!!".
Westring ini_temp_name(const Westring& name);
// The file a save replaces: a symbolic link is followed, so that a linked
// configuration file is updated where it lives and the link stays.
Westring ini_write_target();

// Steps of saving where a test can make the save fail.
enum ConfigSaveStep { SAVE_OPEN, SAVE_WRITE, SAVE_SYNC, SAVE_CLOSE, SAVE_RENAME };
// For tests: when set, called at each step; a non-zero result is taken as
// that step's error number.
extern int (*config_save_fault)(int step);
// The error number config_save_fault gives for step, or 0.
[[nodiscard]] int save_step_fault(int step);
