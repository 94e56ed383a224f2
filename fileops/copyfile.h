// The copy worker: one file, symbolic link, special file or whole directory
// tree copied (or moved by copying and deleting), without asking anything
// except what to do about a failing read.
//
// Results: 0 done; -1 abort the command; -2 a break in the byte loop; a
// positive error number for a failure of this item; RESULT_SKIPPED and
// RESULT_OPEN_FOR_WRITE (fileops/fserror.h).
#pragma once

#include "lib/stdfile.h"
#include "lib/westring.h"

class copy_status;

// Bits of copyfile's flags.
enum { COPY_OPEN_WRITTEN = 1 };  // copy a source that another process writes

// Which path the last failing copyfile step was about.
struct CopyFailure {
    Westring path;
    bool destination = false;  // the destination (could not be created or written)
};
const CopyFailure& last_copy_failure();
// Records the path of a failed step taken outside copyfile (a rename).
void note_copy_failure(const wchar_t* path, bool destination);

// Copies src to dst. overwrite: an existing destination file is replaced
// (otherwise its existence is the failure EEXIST). move: the source is
// deleted once its copy is complete and safely on disk. descriptions is the
// open description file of src's directory (or an unopened one).
//
// Symbolic links are recreated with the same target text and never
// followed; FIFOs, devices and sockets are recreated (mkfifo, mknod), never
// opened; directories are copied entry by entry through copy_file or
// move_file and refused when the destination lies inside the source. Times,
// permission bits and (for root) the owner are kept. A failed copy never
// leaves a partial file under the destination name.
int copyfile(const wchar_t* src, const wchar_t* dst, bool overwrite, bool move, copy_status* status,
             StdFile& descriptions, int flags);
