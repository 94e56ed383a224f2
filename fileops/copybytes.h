// The byte loop of a copy: from one open file into another, counting into
// the progress status and stopping at Esc or Break, with the prompt for a
// failing read. Devices and FIFOs are written without ever blocking.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "fileops/copyfile.h"

class copy_status;

// Whether the user asked to stop (Break or Esc).
bool copy_stop_requested();

// Opens an existing device or FIFO for writing without blocking, waiting
// (and looking for Esc) while a FIFO has no reader. The descriptor, left
// non-blocking; -1 with errno set, or -1 with *stopped set when the user
// gave up waiting.
int open_special_for_writing(int dir, const char* leaf, bool* stopped);

// Copies in to out until the end of in. kernel_copy lets the system copy
// between the files itself (regular files only); out_nonblocking says out
// may refuse a write for a while (a device or FIFO), which is then waited
// for with Esc polling. copied counts the bytes written.
CopyResult copy_bytes(int in, int out, const wchar_t* src, const wchar_t* dst, bool kernel_copy,
                      bool out_nonblocking, off_t expected, copy_status* status, int64_t& copied);
