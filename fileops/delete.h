// Deleting files, directories and whole trees, with the read-only and
// non-empty directory prompts and the deletion window. The delete commands,
// copy and move, and other tools use these.
#pragma once

#include "lib/westring.h"

class DescBatch;
class copy_status;

// Modes of delete_file.
enum {
    DELETE_SINGLE = 0,        // one file, with its window (removed afterwards)
    DELETE_BATCH = 1,         // one file of a batch (the window stays)
    DELETE_SILENT = 3,        // no window
    DELETE_SILENT_FORCE = 4,  // no window, and read-only files without asking
};

// Ends a batch of DELETE_BATCH deletions: removes their window.
void end_delete_batch();
// Deletes one file (or symbolic link) and its description line, removed at
// once or, given descriptions, with the batch's other lines. 1 deleted, 0
// not deleted (skipped, missing, error accepted), -1 abort.
[[nodiscard]] int delete_file(const wchar_t* path, char mode, DescBatch* descriptions = nullptr);
// Removes a directory; a non-empty one goes to delete_tree with mask (null:
// "*"). 1 when the directory is gone, 0 when it stays, -1 abort.
[[nodiscard]] int delete_dir(const wchar_t* path, const wchar_t* mask = nullptr, copy_status* status = nullptr);
// Confirms (unless switched off) and deletes a directory tree. 1 done, 0
// nothing done because a tree deletion already runs, -1 refused or aborted.
[[nodiscard]] int delete_tree(const wchar_t* path, const wchar_t* mask);
// Deletes the files matching mask below path (every subdirectory is
// entered, symbolic links are not followed) and then each directory that
// became empty. A wide tree is shared with a helper thread; questions are
// only ever asked on the calling thread. Non-zero on abort.
[[nodiscard]] int delete_tree2(const wchar_t* path, const wchar_t* mask);
