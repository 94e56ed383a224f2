// Temporary files: list files for commands and the entries taken out of
// archives. They live in a directory of this process's own, made with
// mkdtemp (mode 0700) and named after the full process id, so that no other
// user can plant or read a file there and no other instance's clean-up can
// remove ours. Each file is created at once with mkstemp: a name is never
// tested first and then opened.
#pragma once

#include "lib/westring.h"

// The private directory, made on first use in $TMPDIR, else $TMP, else
// $TEMP, else /tmp. Empty when it cannot be made.
const Westring& TmpDir();

// Creates a new empty file "DV#<pid>.XXXXXX" in dir (the private directory
// when null) and sets out to its path. With fd, the file is left open for
// writing (close-on-exec) and its descriptor stored there. 0, or an errno
// value.
[[nodiscard]] int TmpFileName(Westring& out, const wchar_t* dir = nullptr, int* fd = nullptr);

// Leaves the temporary files made so far alone in every clean-up: a command
// started on its own (that nobody waits for) may still be reading them.
void KeepTmpFiles();

// Deletes the temporary files this process made, except the kept ones. Runs
// before every command line and user-menu run.
void CleanupTmpFiles();

// At exit: the clean-up, then the private directory goes too when no kept
// file is in it (a command started on its own may still read those; the
// system's clean-up of its temporary directory takes them later).
void RemoveTmpDir();
