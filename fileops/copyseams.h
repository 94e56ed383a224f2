// Points where tests step into the file operations to make the system fail
// on purpose (a full disk, a read error, a rename across devices) or to
// keep queued keys away from the Esc poll. Every member is null in the
// program, which then calls the system (or check_esc) directly.
#pragma once

#include <sys/types.h>

struct CopySeams {
    ssize_t (*read)(int fd, void* buffer, size_t size) = nullptr;
    ssize_t (*write)(int fd, const void* buffer, size_t size) = nullptr;
    // Closing a copied destination file.
    int (*close)(int fd) = nullptr;
    int (*rename)(const char* from, const char* to) = nullptr;
    // Writing a destination's file system to the disk before moved sources go.
    int (*syncfs)(int fd) = nullptr;
    // Before the bytes of a regular file are copied, by the copy of one
    // item and by the parallel copy's workers alike (so it may be called on
    // several threads at once): an error number fails that copy. name is
    // the source as the system call sees it (a leaf or a longer path).
    int (*file_fault)(const char* name) = nullptr;
    // Whether the user pressed Esc.
    bool (*esc_pending)() = nullptr;
};
extern CopySeams copy_seams;

// Whether an Esc key is waiting (check_esc, or the seam when one is set).
bool fileops_esc_pending();
