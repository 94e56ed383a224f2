#include "fileops/copymove.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "console/console.h"
#include "fileops/breakscope.h"
#include "console/win.h"
#include "fileops/copyfile.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/dirnames.h"
#include "fileops/dosops.h"
#include "fileops/fileattr.h"
#include "fileops/fileglobals.h"
#include "fileops/fileprompt.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
#include "fileops/treeplace.h"
#include "lib/atpath.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "panels/entry.h"

namespace {

constexpr int kMinProgressWidth = 44;

// Makes the progress window wide enough for the two paths and the counter
// and hands them to the status.
void prepare_progress(copy_status* status, bool moving, const wchar_t* src, const wchar_t* dst, int index,
                      int count) {
    char counter[20] = "";
    if (count > 1) std::snprintf(counter, sizeof counter, "(%d of %d)", index, count);
    Westring source(src), destination(dst);
    if (console) {
        int columns = 80, rows = 25;
        console->GetSize(columns, rows);
        collapse_path(source, columns - 10);
        collapse_path(destination, columns - 10);
        int width = kMinProgressWidth;
        width = std::max({width, source.strlen(), destination.strlen(), static_cast<int>(std::strlen(counter))});
        if (width & 1) width++;
        width += 2;
        if (!fwin || fwin->width() < width + 2) {
            if (status) status->StopUpdate();
            delete fwin;
            fwin = new Win(-1, -4, width + 2, 9, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
            fwin->PutCentre(0, moving ? L"Moving" : L"Copying");
            fwin->PutCentre(2, L"to");
            if (status) status->ForgetDrawn();
        }
    }
    if (status) {
        status->SetPaths(source, destination, count > 1 ? counter : nullptr);
        progressUpdate(status);
    }
}

// The destination names the source itself: the same text, or the same file
// under another spelling or name (a hard link, a linked directory), or the
// very file a source link points to (which the link would replace).
bool same_item(const wchar_t* src, const wchar_t* dst) {
    if (fncompare(src, dst) == 0) return true;
    AtPath from(EncodeFileName(src).c_str()), to(EncodeFileName(dst).c_str());
    struct stat source, resolved, destination;
    if (fstatat(to.dir(), to.leaf(), &destination, AT_SYMLINK_NOFOLLOW) != 0) return false;
    auto same = [&](const struct stat& other) {
        return other.st_dev == destination.st_dev && other.st_ino == destination.st_ino;
    };
    return (fstatat(from.dir(), from.leaf(), &source, AT_SYMLINK_NOFOLLOW) == 0 && same(source)) ||
           (fstatat(from.dir(), from.leaf(), &resolved, 0) == 0 && same(resolved));
}

// Whether dst is, or lies inside, the directory src (symbolic links
// resolved); false when src is no directory.
bool into_itself(const wchar_t* src, const wchar_t* dst) {
    AtPath from(EncodeFileName(src).c_str());
    struct stat status;
    if (fstatat(from.dir(), from.leaf(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(status.st_mode)) return false;
    return WithinDirectory(src, dst);
}

// The refusal to put a file in its own place: -1 when the user cancels,
// else code.
int cannot_overwrite_itself(const wchar_t* dst, int code) {
    return file_error(L"File cannot overwrite itself", Westring(dst), MB_OKCANCEL) == 27 ? -1 : code;
}

// Asks "File already exists, Overwrite?" with the buttons of style.
int ask_overwrite(const wchar_t* dst, int style) {
    return file_error(L"File already exists, Overwrite?", Westring(dst), style);
}

// A destination that is not older than the source is left alone.
enum class OlderTest { NotApplicable, Keep, Replace };
OlderTest older_test(const wchar_t* src, const wchar_t* dst, bool existed, int dst_attr, bool granted) {
    if (!existed || (dst_attr & FA_DIREC) || granted || overwrite_mode != OVERWRITE_IF_OLDER)
        return OlderTest::NotApplicable;
    TimeStamp source_time, destination_time;
    if (GetFileTime(src, source_time) != 0 || GetFileTime(dst, destination_time) != 0) return OlderTest::NotApplicable;
    return destination_time < source_time ? OlderTest::Replace : OlderTest::Keep;
}

// What a prompt after a failed attempt decided: empty to try the item
// again, else the result code the item ends with.
using ItemEnd = std::optional<int>;
const ItemEnd kTryAgain;

// The prompt for a file open for writing: try again (copying it anyway),
// or end with RESULT_SKIPPED or -1.
ItemEnd open_for_write_answer(const wchar_t* src, bool& force) {
    if (read_written_all < 0) return RESULT_SKIPPED;
    for (;;) {
        switch (file_error(L"File is open for writing, copy anyway?", Westring(src), MB_SKIPALL)) {
            case 'y': force = true; return kTryAgain;
            case 'a': read_written_all = 1; return kTryAgain;
            case 'e': read_written_all = -1; return RESULT_SKIPPED;
            case 's': return RESULT_SKIPPED;
            case 27: return -1;
            default: break;
        }
    }
}

// The error prompt for a failed attempt, showing the path it was about
// (fallback_path when it names none): Retry tries again, anything else
// ends the item with the code (-1 for Cancel).
ItemEnd ask_after_failure(const CopyResult& failure, const wchar_t* fallback_path) {
    Westring shown = failure.path.empty() ? Westring(fallback_path) : failure.path;
    int code = failure.code, done = 0;
    fs_error(code, done, shown.c_str());
    return done ? ItemEnd(code) : kTryAgain;
}

// A failure the overwrite rules did not settle: a source open for writing
// asks whether to copy it anyway, a skip stays a skip, anything else gets
// the error prompt.
ItemEnd settle_failure(const CopyResult& failure, const wchar_t* src, bool& force_open) {
    if (failure.code == RESULT_OPEN_FOR_WRITE) return open_for_write_answer(src, force_open);
    if (failure.code == RESULT_SKIPPED) return RESULT_SKIPPED;
    return ask_after_failure(failure, src);
}

// Whether anything (a dangling link too) is at src.
bool source_exists(const wchar_t* src) {
    AtPath at(EncodeFileName(src).c_str());
    struct stat status;
    return at.error() == 0 && fstatat(at.dir(), at.leaf(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether src is a directory itself (not a link to one).
bool is_real_directory(const wchar_t* src) {
    int attr = 0;
    return GetFileAttr(src, attr) == 0 && (attr & FA_DIREC) && !(attr & FA_LINK);
}

// An overwrite was granted and the destination still could not be
// replaced (its directory may not be written, say): asking again would
// only loop. A directory source has the destination deleted instead.
bool replacement_refused(const wchar_t* src, bool granted) { return granted && !is_real_directory(src); }

// Acts on the answer to "File already exists, Overwrite?": Cancel aborts,
// None and All change the operation-wide mode, anything but OK and All
// skips. An overwrite tries again with the overwrite granted: the new file
// takes the old one's place only once complete. Only a directory, which
// cannot take a file's place in one step, has the destination deleted first.
ItemEnd overwrite_existing(const wchar_t* src, const wchar_t* dst, int answer, bool& granted) {
    if (answer == 27) return -1;
    if (answer == 'e') overwrite_mode = OVERWRITE_NEVER;
    if (answer == 'a') overwrite_mode = OVERWRITE_ALWAYS;
    if (answer != 'y' && answer != 'a') return RESULT_SKIPPED;
    granted = true;
    if (!is_real_directory(src)) return kTryAgain;
    int deleted = delete_file(dst, DELETE_SILENT);
    if (deleted == 1) return kTryAgain;
    return deleted < 0 ? -1 : RESULT_SKIPPED;
}

// Moves every entry of the directory src into the existing directory dst,
// then removes src. 0, -1, RESULT_SKIPPED when something stayed behind, or
// the error number (already reported) of the step that left src in place.
int merge_directories(const wchar_t* src, const wchar_t* dst, copy_status* status, DescBatch& descriptions,
                      bool sameFileSystem) {
    std::vector<Westring> names;
    int listed = ListNames(src, names, true);
    if (listed != 0) {
        int done = 0;
        fs_error(listed, done, src);
        return listed < 0 ? -1 : RESULT_SKIPPED;
    }
    int failures = 0;
    for (const Westring& name : names) {
        Westring from = join_path(Westring(src), name);
        Westring to = join_path(Westring(dst), name);
        int item = move_file(from.c_str(), to.c_str(), 1, 1, status, descriptions, sameFileSystem);
        if (item < 0 || break_status == 2 || fileops_esc_pending()) {
            failures = -1;
            break;
        }
        if (item > 0) failures++;
    }
    // The lines of the entries done are written whatever happened.
    descriptions.FlushDirectory(Westring(src));
    descriptions.FlushDirectory(Westring(dst));
    if (failures < 0) return -1;
    if (failures) return RESULT_SKIPPED;
    // Descriptions of names that never existed travel along; when they
    // cannot, that error is the one to report (src is then not empty).
    for (;;) {
        int code = carry_desc_leftovers(Westring(src), Westring(dst));
        if (code == 0) break;
        int done = 0;
        fs_error(code, done, src);
        if (done) return code;
    }
    for (;;) {
        AtPath emptied(EncodeFileName(src).c_str());
        if (unlinkat(emptied.dir(), emptied.leaf(), AT_REMOVEDIR) == 0) {
            descriptions.Remove(Westring(src));
            return 0;
        }
        int code = errno;
        if (code == EACCES) return 0;
        int done = 0;
        fs_error(code, done, src);
        if (done) return code;
    }
}

}  // namespace

int copy_file(const wchar_t* src, const wchar_t* dst, int index, int count, copy_status* status,
              DescBatch& descriptions, bool destination_absent) {
    CBreakScope running;
    prepare_progress(status, false, src, dst, index, count);
    int dst_attr = 0;
    const bool existed = !destination_absent && GetFileAttr(dst, dst_attr) == 0;
    bool granted = false, force_open = false;
    for (;;) {
        OlderTest older = older_test(src, dst, existed, dst_attr, granted);
        if (older == OlderTest::Keep) return 0;
        if (older == OlderTest::Replace) granted = true;

        if (status) status->StartUpdate(fwin);
        int flags = read_written_all == 1 || force_open ? COPY_OPEN_WRITTEN : 0;
        if (!existed && !granted) flags |= COPY_DESTINATION_ABSENT;
        CopyResult attempt =
            copyfile(src, dst, granted || overwrite_mode == OVERWRITE_ALWAYS, false, status, descriptions, flags);
        if (attempt.code != 0 && status) status->StopUpdate();
        // A read error the user skipped has been reported already.
        if (attempt.code == 0 || attempt.code == -1 || attempt.code == EIO) return attempt.code;

        ItemEnd end;
        if ((attempt.code == EACCES || attempt.code == EEXIST) && attempt.destination) {
            if (same_item(src, dst)) return cannot_overwrite_itself(dst, attempt.code);
            if (!existed || (dst_attr & FA_DIREC) || replacement_refused(src, granted)) {
                end = ask_after_failure(attempt, dst);
            } else {
                int answer = overwrite_mode == OVERWRITE_ALWAYS  ? 'y'
                             : overwrite_mode == OVERWRITE_NEVER ? 's'
                                                                 : ask_overwrite(dst, MB_SKIPALLOLDER);
                if (answer == 'd') {
                    overwrite_mode = OVERWRITE_IF_OLDER;
                    continue;
                }
                end = overwrite_existing(src, dst, answer, granted);
            }
        } else {
            end = settle_failure(attempt, src, force_open);
        }
        if (end) return *end;
    }
}

int move_file(const wchar_t* src, const wchar_t* dst, int index, int count, copy_status* status,
              DescBatch& descriptions, bool sameFileSystem) {
    CBreakScope running;
    prepare_progress(status, true, src, dst, index, count);
    // The common case in one step: a new name on the same file system.
    // Anything else (an existing destination, a directory into itself,
    // another device) fails here without a change and takes the long way.
    if (sameFileSystem && DosMoveNew(src, dst) == 0) {
        if (status && fwin) status->ShowPathIn(fwin);
        descriptions.Move(Westring(src), Westring(dst));
        return break_status == 2 ? -1 : 0;
    }
    if (into_itself(src, dst)) {
        // The box shows what was refused before the refusal is said.
        if (status) {
            status->StopUpdate();
            status->ShowPathIn(fwin);
        }
        file_error(L"Directory cannot be moved into itself", Westring(dst), MB_OK);
        return -1;
    }
    int dst_attr = 0;
    const bool existed = GetFileAttr(dst, dst_attr) == 0;
    bool rename_method = sameFileSystem;
    bool granted = false, force_open = false;
    for (;;) {
        OlderTest older = older_test(src, dst, existed, dst_attr, granted);
        // The source stays where it is, so it is not done: it stays tagged,
        // and a directory being moved keeps it.
        if (older == OlderTest::Keep) return RESULT_SKIPPED;
        if (older == OlderTest::Replace) granted = true;

        CopyResult attempt;
        if (rename_method) {
            if (status && fwin) status->ShowPathIn(fwin);
            int moved = granted ? DosMoveOver(src, dst) : DosMove(src, dst);
            // A file that moved takes its description along, even when Break
            // ends the command with it.
            if (moved == 0) descriptions.Move(Westring(src), Westring(dst));
            if (break_status == 2) moved = -1;
            const bool destination_side = moved == EEXIST || (moved == ENOENT && source_exists(src));
            attempt = CopyResult{moved, Westring(destination_side ? dst : src), destination_side};
        } else {
            if (status) status->StartUpdate(fwin);
            int flags = read_written_all == 1 || force_open ? COPY_OPEN_WRITTEN : 0;
            if (!existed && !granted) flags |= COPY_DESTINATION_ABSENT;
            attempt =
                copyfile(src, dst, granted || overwrite_mode == OVERWRITE_ALWAYS, true, status, descriptions, flags);
            if (attempt.code != 0 && status) status->StopUpdate();
        }
        if (attempt.code == 0 || attempt.code == -1 || attempt.code == EIO) return attempt.code;
        if (attempt.code == EXDEV && rename_method) {
            rename_method = false;
            continue;
        }

        ItemEnd end;
        if ((attempt.code == EACCES || attempt.code == EEXIST) && attempt.destination) {
            if (same_item(src, dst)) return cannot_overwrite_itself(dst, attempt.code);
            if (!existed) {
                end = ask_after_failure(attempt, dst);
            } else if (is_real_directory(src) && is_real_directory(dst)) {
                // A link to a directory is not merged into: whatever it
                // points at (it may have come out of an archive) stays untouched.
                return merge_directories(src, dst, status, descriptions, rename_method);
            } else if (replacement_refused(src, granted)) {
                end = ask_after_failure(attempt, dst);
            } else {
                int answer = granted || overwrite_mode == OVERWRITE_ALWAYS ? 'y'
                             : overwrite_mode == OVERWRITE_NEVER          ? 's'
                                                                          : ask_overwrite(dst, MB_SKIPALL);
                end = overwrite_existing(src, dst, answer, granted);
            }
        } else {
            end = settle_failure(attempt, src, force_open);
        }
        if (end) return *end;
    }
}

void EndCopyProgress(copy_status* status) {
    if (status) status->StopUpdate();
    delete fwin;
    fwin = nullptr;
}
