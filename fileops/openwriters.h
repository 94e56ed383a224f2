// Whether another process has a file open for writing right now, so that a
// copy would take a snapshot of a file still being written.
#pragma once

// fd is the file opened for reading only. Where the system allows it (the
// file is ours, or we may take leases) a read lease answers exactly: it is
// refused while any process holds the file open for writing. Otherwise an
// exclusive lock held by a writer is the sign.
bool OpenForWritingElsewhere(int fd);
