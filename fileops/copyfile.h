// The copy worker: one file, symbolic link, special file or whole directory
// tree copied (or moved by copying and deleting), without asking anything
// except what to do about a failing read.
//
// Result codes: 0 done; -1 abort the command (Esc or Break while copying,
// or a refusal already reported); a positive error number for a failure of
// this item; RESULT_SKIPPED and RESULT_OPEN_FOR_WRITE (fileops/fserror.h).
#pragma once

#include "lib/westring.h"

class DescBatch;
class copy_status;

// Bits of copyfile's flags.
enum {
    COPY_OPEN_WRITTEN = 1,       // copy a source that another process writes
    COPY_DESTINATION_ABSENT = 2  // nothing had the destination's name just now
};

// What a copy step came to: its result code and, for a failure, the path
// the failing step was about.
struct [[nodiscard]] CopyResult {
    int code = 0;
    Westring path;
    bool destination = false;  // path is the destination (it could not be made or written)

    static CopyResult Done() { return CopyResult(); }
    static CopyResult Failed(int code, const wchar_t* path, bool destination) {
        return CopyResult{code, Westring(path), destination};
    }
};

// Copies src to dst. overwrite: an existing destination is replaced
// (otherwise its existence is the failure EEXIST). move: the source is
// deleted once its copy is complete and safely on disk. descriptions carries
// the description lines along.
//
// A file, link or special file is made under a temporary name beside the
// destination and renamed over it only when complete, with its times and
// mode already set: a failure, Esc or a kill never leaves a partial file
// under the destination name, and a replaced destination stays
// byte-identical until then. Replacing gives the name a new file, so other
// hard links of an old destination keep the old content. The destination is
// judged by itself: a symbolic link there is replaced, never followed; an
// existing device or FIFO is written into (a copy only, and only when
// overwrite is set), without ever blocking while Esc is polled.
//
// Symbolic links are recreated with the same target text and never
// followed; FIFOs, devices and sockets are recreated (mkfifo, mknod), never
// opened; directories are copied entry by entry through copy_file or
// move_file and refused when the destination lies inside the source. Times,
// permission bits and (for root) the owner are kept, a directory's also when
// its copy fails or is cancelled. Paths of any length are handled.
CopyResult copyfile(const wchar_t* src, const wchar_t* dst, bool overwrite, bool move, copy_status* status,
                    DescBatch& descriptions, int flags);
