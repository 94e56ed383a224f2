#include "fileops/copymove.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/breakscope.h"
#include "console/win.h"
#include "fileops/copyfile.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descriptions.h"
#include "fileops/dirnames.h"
#include "fileops/dosops.h"
#include "fileops/fileattr.h"
#include "fileops/fileglobals.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
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
// under another spelling or name (a hard link, a linked directory).
bool same_item(const wchar_t* src, const wchar_t* dst) { return fncompare(src, dst) == 0 || SameFile(src, dst); }

// Whether dst is, or lies inside, the directory src (symbolic links
// resolved); false when src is no directory.
bool into_itself(const wchar_t* src, const wchar_t* dst) {
    struct stat status;
    if (lstat(EncodeFileName(src).c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    Westring real_src, real_dst;
    if (!RealLocation(Westring(src), real_src) || !RealLocation(Westring(dst), real_dst)) return false;
    return IsInsideOrSame(real_src, real_dst);
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

// The prompt for a file open for writing. 0 copy it now, 1 skip, -1 abort.
int open_for_write_answer(const wchar_t* src, bool& force) {
    if (read_written_all < 0) return 1;
    for (;;) {
        switch (error(L"File is open for writing, copy anyway?", Westring(src), MB_SKIPALL)) {
            case 'y': force = true; return 0;
            case 'a': read_written_all = 1; return 0;
            case 'e': read_written_all = -1; return 1;
            case 's': return 1;
            case 27: return -1;
            default: break;
        }
    }
}

// The error prompt for a failed item: true to try again; otherwise result
// is what the item ends with.
bool ask_after_failure(int& result, const wchar_t* fallback_path) {
    const CopyFailure& failure = last_copy_failure();
    const wchar_t* path = failure.path.empty() ? fallback_path : failure.path.c_str();
    Westring shown(path);
    int done = 0;
    fs_error(result, done, shown.c_str());
    return !done;
}

// A failure the overwrite rules did not settle: a source open for writing
// asks whether to copy it anyway, a skip stays a skip, anything else gets
// the error prompt. True to try the item again; otherwise result is what
// the item ends with.
bool retry_after_failure(int& result, const wchar_t* src, bool& force_open) {
    if (result == RESULT_OPEN_FOR_WRITE) {
        int answer = open_for_write_answer(src, force_open);
        if (answer == 0) return true;
        result = answer < 0 ? -1 : RESULT_SKIPPED;
        return false;
    }
    if (result == RESULT_SKIPPED) return false;
    return ask_after_failure(result, src);
}

// Deletes a destination the user agreed to replace. 1 deleted, else the
// result the item ends with.
int delete_replaced(const wchar_t* dst, copy_status* status) {
    int deleted = delete_file(dst, DELETE_SILENT, status);
    if (deleted == 1) return 1;
    return deleted < 0 ? -1 : RESULT_SKIPPED;
}

// Acts on the answer to "File already exists, Overwrite?": Cancel aborts,
// None and All change the operation-wide mode, anything but OK and All
// skips; an overwrite deletes the destination first. kTryAgain when the
// destination is gone and the item should be tried again, else the result.
constexpr int kTryAgain = -100;
int overwrite_existing(const wchar_t* dst, int answer, bool& granted, copy_status* status) {
    if (answer == 27) return -1;
    if (answer == 'e') overwrite_mode = OVERWRITE_NEVER;
    if (answer == 'a') overwrite_mode = OVERWRITE_ALWAYS;
    if (answer != 'y' && answer != 'a') return RESULT_SKIPPED;
    granted = true;
    int deleted = delete_replaced(dst, status);
    return deleted == 1 ? kTryAgain : deleted;
}

// Moves every entry of the directory src into the existing directory dst,
// then removes src. 0, -1, or RESULT_SKIPPED when something stayed behind.
int merge_directories(const wchar_t* src, const wchar_t* dst, copy_status* status, StdFile& descriptions,
                      bool sameFileSystem) {
    std::vector<Westring> names;
    int listed = ListNames(src, names, true);
    if (listed != 0) {
        int done = 0;
        fs_error(listed, done, src);
        return listed < 0 ? -1 : RESULT_SKIPPED;
    }
    StdFile own_descriptions;
    open_dir_desc(Westring(src), own_descriptions);
    int failures = 0;
    for (const Westring& name : names) {
        Westring from = join_path(Westring(src), name);
        Westring to = join_path(Westring(dst), name);
        int item = move_file(from.c_str(), to.c_str(), 1, 1, status, own_descriptions, sameFileSystem);
        if (item < 0) return -1;
        if (item > 0) failures++;
        if (break_status == 2 || fileops_esc_pending()) return -1;
    }
    own_descriptions.close();
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
        if (rmdir(EncodeFileName(src).c_str()) == 0) {
            delete_desc(src, &descriptions);
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
              StdFile& descriptions) {
    CBreakScope running;
    prepare_progress(status, false, src, dst, index, count);
    int dst_attr = 0;
    const bool existed = GetFileAttr(dst, dst_attr) == 0;
    bool granted = false, force_open = false;
    int result = 0;
    for (;;) {
        OlderTest older = older_test(src, dst, existed, dst_attr, granted);
        if (older == OlderTest::Keep) {
            result = 0;
            break;
        }
        if (older == OlderTest::Replace) granted = true;

        if (status) status->StartUpdate(fwin);
        int flags = read_written_all == 1 || force_open ? COPY_OPEN_WRITTEN : 0;
        result = copyfile(src, dst, granted || overwrite_mode == OVERWRITE_ALWAYS, false, status, descriptions, flags);
        if (result != 0 && status) status->StopUpdate();
        if (result == -1 || result == -2) {
            result = -1;
            break;
        }
        if (result == 0 || result == EIO) break;

        if ((result == EACCES || result == EEXIST) && last_copy_failure().destination) {
            if (same_item(src, dst)) {
                if (error(L"File cannot overwrite itself", Westring(dst), MB_OKCANCEL) == 27) result = -1;
                break;
            }
            if (!existed || (dst_attr & FA_DIREC)) {
                if (ask_after_failure(result, dst)) continue;
                break;
            }
            int answer = overwrite_mode == OVERWRITE_ALWAYS  ? 'y'
                         : overwrite_mode == OVERWRITE_NEVER ? 's'
                                                             : error(L"File already exists, Overwrite?", Westring(dst),
                                                                     MB_SKIPALLOLDER);
            if (answer == 'd') {
                overwrite_mode = OVERWRITE_IF_OLDER;
                continue;
            }
            result = overwrite_existing(dst, answer, granted, status);
            if (result == kTryAgain) continue;
            break;
        }
        if (retry_after_failure(result, src, force_open)) continue;
        break;
    }
    return result;
}

int move_file(const wchar_t* src, const wchar_t* dst, int index, int count, copy_status* status,
              StdFile& descriptions, bool sameFileSystem) {
    CBreakScope running;
    prepare_progress(status, true, src, dst, index, count);
    if (into_itself(src, dst)) {
        if (status) status->StopUpdate();
        error(L"Directory cannot be copied into itself", Westring(dst), MB_OK);
        return -1;
    }
    int dst_attr = 0;
    const bool existed = GetFileAttr(dst, dst_attr) == 0;
    bool rename_method = sameFileSystem;
    bool granted = false, force_open = false;
    int result = 0;
    for (;;) {
        OlderTest older = older_test(src, dst, existed, dst_attr, granted);
        if (older == OlderTest::Keep) {
            // The source stays where it is, so it is not done: it stays
            // tagged, and a directory being moved keeps it.
            result = RESULT_SKIPPED;
            break;
        }
        if (older == OlderTest::Replace) granted = true;

        bool destination_side;
        if (rename_method) {
            if (status && fwin) status->ShowPathIn(fwin);
            result = DosMove(src, dst);
            if (break_status == 2) result = -2;
            if (result == 0) move_desc(src, dst, descriptions);
            destination_side = result == EEXIST;
            note_copy_failure(destination_side ? dst : src, destination_side);
        } else {
            if (status) status->StartUpdate(fwin);
            int flags = read_written_all == 1 || force_open ? COPY_OPEN_WRITTEN : 0;
            result = copyfile(src, dst, granted || overwrite_mode == OVERWRITE_ALWAYS, true, status, descriptions,
                              flags);
            if (result != 0 && status) status->StopUpdate();
            destination_side = last_copy_failure().destination;
        }
        if (result == -1 || result == -2) {
            result = -1;
            break;
        }
        if (result == 0 || result == EIO) break;
        if (result == EXDEV && rename_method) {
            rename_method = false;
            continue;
        }
        if ((result == EACCES || result == EEXIST) && destination_side) {
            if (same_item(src, dst)) {
                if (error(L"File cannot overwrite itself", Westring(dst), MB_OKCANCEL) == 27) result = -1;
                break;
            }
            if (!existed) {
                if (ask_after_failure(result, dst)) continue;
                break;
            }
            int src_attr = 0;
            if (GetFileAttr(src, src_attr) == 0 && (src_attr & FA_DIREC) && !(src_attr & FA_LINK) &&
                (dst_attr & FA_DIREC)) {
                result = merge_directories(src, dst, status, descriptions, rename_method);
                break;
            }
            int answer = granted || overwrite_mode == OVERWRITE_ALWAYS ? 'y'
                         : overwrite_mode == OVERWRITE_NEVER          ? 's'
                                                             : error(L"File already exists, Overwrite?", Westring(dst),
                                                                     MB_SKIPALL);
            result = overwrite_existing(dst, answer, granted, status);
            if (result == kTryAgain) continue;
            break;
        }
        if (retry_after_failure(result, src, force_open)) continue;
        break;
    }
    return result;
}

void EndCopyProgress(copy_status* status) {
    if (status) status->StopUpdate();
    delete fwin;
    fwin = nullptr;
}
