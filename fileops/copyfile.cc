#include "fileops/copyfile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/console.h"
#include "fileops/besidefile.h"
#include "fileops/breakscope.h"
#include "fileops/copybytes.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/movedsources.h"
#include "fileops/newfile.h"
#include "fileops/parallelcopy.h"
#include "fileops/dirnames.h"
#include "fileops/fileglobals.h"
#include "fileops/fileprompt.h"
#include "fileops/fserror.h"
#include "fileops/openwriters.h"
#include "fileops/resolvepath.h"
#include "fileops/treeplace.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

namespace {

CopyResult fail(const wchar_t* path, bool destination, int code) {
    return CopyResult::Failed(code, path, destination);
}

CopyResult aborted() { return CopyResult{-1, Westring(), false}; }

int do_close(int fd) { return copy_seams.close ? copy_seams.close(fd) : close(fd); }

// The metadata of a node made by name (links, special files, directories).
void keep_path_metadata(const AtPath& path, const struct stat& from, bool link) {
    const int nofollow = link ? AT_SYMLINK_NOFOLLOW : 0;
    if (MayChown()) {
        int owned = fchownat(path.dir(), path.leaf(), from.st_uid, from.st_gid, nofollow);
        (void)owned;
    }
    if (!link) (void)fchmodat(path.dir(), path.leaf(), from.st_mode & 07777, 0);
    struct timespec times[2] = {from.st_atim, from.st_mtim};
    utimensat(path.dir(), path.leaf(), times, nofollow);
}

bool is_special(mode_t mode) { return S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode) || S_ISSOCK(mode); }

// Whether two stat results are one file.
bool same_node(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// What is at the destination now, looked at without following a link.
struct Destination {
    AtPath at;
    bool exists = false;
    struct stat status {};
    // A destination known to be absent is not looked at again: should
    // something take the name meanwhile, the final rename, which never
    // replaces a name that was absent, fails with EEXIST.
    explicit Destination(const wchar_t* dst, bool known_absent = false) : at(EncodeFileName(dst).c_str()) {
        exists = !known_absent && at.error() == 0 && fstatat(at.dir(), at.leaf(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    }
};

// Makes a node by make: straight under the final name when nothing may be
// replaced (an existing name then fails with EEXIST), else beside it and
// renamed over it.
int make_node(const Destination& to, bool overwrite, const std::function<int(int, const char*)>& make) {
    if (to.at.error() != 0) return to.at.error();
    if (!overwrite || !to.exists) return make(to.at.dir(), to.at.leaf());
    // A directory is never replaced by anything else.
    if (S_ISDIR(to.status.st_mode)) return EEXIST;
    std::string temp;
    int made = MakeBeside(to.at, make, temp);
    return made != 0 ? made : PutInPlace(to.at, temp, true);
}

// Removes a source that has been copied, keeping its description when it
// stays. Done, RESULT_SKIPPED (the user kept it) or -1.
CopyResult remove_moved_source(const wchar_t* src, DescBatch& descriptions) {
    int deleted = delete_file(src, DELETE_SILENT, &descriptions);
    if (deleted < 0) return aborted();
    return deleted > 0 ? CopyResult::Done() : fail(src, false, RESULT_SKIPPED);
}

CopyResult copy_link(const wchar_t* src, const wchar_t* dst, const AtPath& from, const struct stat& status_of_src,
                     bool overwrite, bool move, DescBatch& descriptions) {
    std::vector<char> target(static_cast<size_t>(status_of_src.st_size > 0 ? status_of_src.st_size : 255) + 1);
    ssize_t length;
    for (;;) {
        length = readlinkat(from.dir(), from.leaf(), target.data(), target.size());
        if (length < 0) return fail(src, false, errno);
        if (static_cast<size_t>(length) < target.size()) break;
        target.resize(target.size() * 2);
    }
    if (length == 0) return fail(src, false, EINVAL);
    target[static_cast<size_t>(length)] = 0;

    Destination to(dst);
    // The link's own target put in its place would become a link to
    // itself, and its data would be gone.
    struct stat resolved;
    if (to.exists && fstatat(from.dir(), from.leaf(), &resolved, 0) == 0 && same_node(resolved, to.status))
        return fail(dst, true, EEXIST);
    int made = make_node(to, overwrite, [&](int dir, const char* leaf) {
        return symlinkat(target.data(), dir, leaf) == 0 ? 0 : errno;
    });
    if (made != 0) return fail(dst, true, made);
    keep_path_metadata(to.at, status_of_src, true);
    descriptions.Copy(Westring(src), Westring(dst));
    return move ? remove_moved_source(src, descriptions) : CopyResult::Done();
}

CopyResult copy_special(const wchar_t* src, const wchar_t* dst, const struct stat& status_of_src, bool overwrite,
                        bool move, DescBatch& descriptions) {
    Destination to(dst);
    int made = make_node(to, overwrite, [&](int dir, const char* leaf) {
        int result = S_ISFIFO(status_of_src.st_mode) ? mkfifoat(dir, leaf, status_of_src.st_mode & 07777)
                                                     : mknodat(dir, leaf, status_of_src.st_mode, status_of_src.st_rdev);
        return result == 0 ? 0 : errno;
    });
    if (made != 0) return fail(dst, true, made);
    keep_path_metadata(to.at, status_of_src, false);
    descriptions.Copy(Westring(src), Westring(dst));
    return move ? remove_moved_source(src, descriptions) : CopyResult::Done();
}

// Gives a directory made for a copy its final mode, times and owner on
// every way out, a failed or cancelled copy included: it was made at 0700
// so that nobody else could step in while it filled.
class CFinalDirectoryMode {
public:
    CFinalDirectoryMode(const AtPath& path, const struct stat& source) : path_(path), source_(source) {}
    ~CFinalDirectoryMode() {
        if (armed_) keep_path_metadata(path_, source_, false);
    }
    CFinalDirectoryMode(const CFinalDirectoryMode&) = delete;
    CFinalDirectoryMode& operator=(const CFinalDirectoryMode&) = delete;
    void Arm() { armed_ = true; }

private:
    const AtPath& path_;
    const struct stat& source_;
    bool armed_ = false;
};

CopyResult copy_directory(const wchar_t* src, const wchar_t* dst, const struct stat& status_of_src, bool move,
                          copy_status* status, DescBatch& descriptions) {
    if (WithinDirectory(src, dst)) {
        if (status) status->StopUpdate();
        file_error(move ? L"Directory cannot be moved into itself" : L"Directory cannot be copied into itself",
                   Westring(dst), MB_OK);
        return aborted();
    }

    AtPath to(EncodeFileName(dst).c_str());
    if (to.error() != 0) return fail(dst, true, to.error());
    CFinalDirectoryMode final_mode(to, status_of_src);
    // A directory made here holds nothing yet: its entries need no look for
    // an existing name (names folded to lower case may meet, though).
    bool made = false;
    if (mkdirat(to.dir(), to.leaf(), 0700) == 0) {
        made = !case_filter;
        final_mode.Arm();
        descriptions.Copy(Westring(src), Westring(dst));
    } else {
        int error_code = errno;
        struct stat existing;
        if (error_code != EEXIST) return fail(dst, true, error_code);
        // An existing directory is merged into; anything else is in the way.
        if (fstatat(to.dir(), to.leaf(), &existing, 0) != 0 || !S_ISDIR(existing.st_mode))
            return fail(dst, true, EEXIST);
    }

    std::vector<Westring> names;
    int listed = ListNames(src, names, true);
    if (listed != 0) return fail(src, false, listed);

    int result = 0;
    int failures = 0;
    // The moved files' sources go once their copies are synced together: in
    // the batch of the tree being moved, or in this directory's own.
    CMovedSources* tree_batch = move ? CMovedSources::Open() : nullptr;
    std::optional<CMovedSources> own_batch;
    if (move && !tree_batch) own_batch.emplace(descriptions);
    CMovedSources* batch = tree_batch ? tree_batch : own_batch ? &*own_batch : nullptr;
    auto settle = [&] {
        int stayed = batch ? batch->Settle() : 0;
        if (stayed < 0) result = -1;
        else failures += stayed;
    };
    // Into a new directory, the plain files go two at a time first; what
    // the workers gave back goes through the usual copy below.
    std::vector<bool> copied;
    if (made && !move && CopyFilesInParallel(src, dst, names, status, descriptions, copied) < 0) result = -1;
    for (size_t i = 0; i < names.size() && result == 0; i++) {
        if (!copied.empty() && copied[i]) continue;
        const Westring& name = names[i];
        Westring from = join_path(Westring(src), name);
        Westring target_name = name;
        if (case_filter) {
            AtPath entry(EncodeFileName(from).c_str());
            struct stat entry_status;
            if (fstatat(entry.dir(), entry.leaf(), &entry_status, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISDIR(entry_status.st_mode))
                target_name.downcase();
        }
        Westring to_path = join_path(Westring(dst), target_name);
        int item = move ? move_file(from.c_str(), to_path.c_str(), 1, 1, status, descriptions, false)
                        : copy_file(from.c_str(), to_path.c_str(), 1, 1, status, descriptions, made);
        if (item < 0) {
            result = -1;
            break;
        }
        if (item > 0) failures++;
        if (batch && batch->Full()) settle();
        if (result < 0 || copy_stop_requested()) {
            result = -1;
            break;
        }
    }
    // What was copied completely is finished, Esc or not; the tree's batch
    // is settled by the directory that opened it.
    if (own_batch) settle();
    // The lines of the entries done are written whatever happened.
    descriptions.FlushDirectory(Westring(src));
    descriptions.FlushDirectory(Westring(dst));
    if (result < 0) return aborted();

    if (move && failures == 0 && tree_batch) {
        // It goes after its entries, with the tree's batch.
        tree_batch->AddDirectory(Westring(src), Westring(dst));
    } else if (move && failures == 0) {
        // Only an emptied source directory goes; descriptions of names that
        // never existed travel along instead of being lost.
        int carried = carry_desc_leftovers(Westring(src), Westring(dst));
        if (carried != 0) return fail(src, false, carried);
        AtPath source(EncodeFileName(src).c_str());
        if (unlinkat(source.dir(), source.leaf(), AT_REMOVEDIR) != 0) return fail(src, false, errno);
        descriptions.Remove(Westring(src));
    }
    final_mode.Arm();
    // Each item that failed was reported already; the directory stays.
    return failures ? fail(src, false, RESULT_SKIPPED) : CopyResult::Done();
}

// Where a regular file's bytes go: into an existing device or FIFO (only
// when copying onto one the user agreed to overwrite), or into a new file
// beside the final name that takes its place once complete.
struct Target {
    int fd = -1;
    bool special = false;
    std::string temp;  // the temporary name, for a new file
};

// Opens the target for the bytes of source. 0, -1 (the user gave up
// waiting for a FIFO's reader) or an error number.
int open_target(const Destination& to, const struct stat& source, bool overwrite, bool move, Target& target) {
    if (to.at.error() != 0) return to.at.error();
    if (to.exists) {
        // Writing would destroy the very data being read.
        if (same_node(to.status, source) || !overwrite) return EEXIST;
        if (S_ISDIR(to.status.st_mode)) return EISDIR;
        // A move puts the file in the place of whatever is there; a copy
        // writes into a device or FIFO.
        if (!move && is_special(to.status.st_mode) && !S_ISSOCK(to.status.st_mode)) {
            bool stopped = false;
            target.fd = open_special_for_writing(to.at.dir(), to.at.leaf(), &stopped);
            if (target.fd < 0) return stopped ? -1 : errno;
            target.special = true;
            return 0;
        }
    }
    return CreateBeside(to.at.dir(), to.at.leaf(), source.st_mode & 0777, target.fd, target.temp);
}

// Makes sure a rename in the directory of path is on the disk.
void sync_directory_of(const AtPath& path) {
    std::string leaf = path.leaf();
    size_t slash = leaf.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : leaf.substr(0, slash);
    int fd = openat(path.dir(), dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fsync(fd);
    close(fd);
}

CopyResult copy_regular(const wchar_t* src, const wchar_t* dst, const AtPath& from, bool overwrite, bool move,
                        copy_status* status, DescBatch& descriptions, int flags) {
    struct stat source;
    int in = OpenSource(from.dir(), from.leaf(), source);
    if (in < 0) return fail(src, false, errno);
    if (!(flags & COPY_OPEN_WRITTEN) && OpenForWritingElsewhere(in)) {
        close(in);
        return fail(src, false, RESULT_OPEN_FOR_WRITE);
    }

    if (int fault = copy_seams.file_fault ? copy_seams.file_fault(from.leaf()) : 0) {
        close(in);
        return fail(dst, true, fault);
    }

    Destination to(dst, flags & COPY_DESTINATION_ABSENT);
    Target target;
    int opened = open_target(to, source, overwrite, move, target);
    // A batch that syncs many copies at once takes the source instead.
    CMovedSources* batch = move && opened == 0 && !target.special ? CMovedSources::Open() : nullptr;
    if (opened != 0) {
        close(in);
        return opened < 0 ? aborted() : fail(dst, true, opened);
    }

    int64_t copied = 0;
    CopyResult result = copy_bytes(in, target.fd, src, dst, !target.special, target.special, source.st_size, status,
                                   copied);
    close(in);
    if (result.code == 0 && !target.special) {
        int finished = FinishNewFile(target.fd, source, move && !batch);
        if (finished != 0) result = fail(dst, true, finished);
    }
    if (do_close(target.fd) != 0 && result.code == 0) result = fail(dst, true, errno);
    if (result.code == 0 && !target.special) {
        int placed = PutInPlace(to.at, target.temp, to.exists);
        if (placed != 0) result = fail(dst, true, placed);
        else if (move && !batch) sync_directory_of(to.at);
    } else if (!target.special) {
        DropBeside(to.at, target.temp);
    }

    if (result.code != 0) {
        if (status) status->bytes_done -= copied;
        return result;
    }
    descriptions.Copy(Westring(src), Westring(dst));
    if (batch) {
        batch->Add(Westring(src), Westring(dst));
        return CopyResult::Done();
    }
    return move ? remove_moved_source(src, descriptions) : CopyResult::Done();
}

}  // namespace

CopyResult copyfile(const wchar_t* src, const wchar_t* dst, bool overwrite, bool move, copy_status* status,
                    DescBatch& descriptions, int flags) {
    CBreakScope running;
    progressUpdate(status);
    AtPath from(EncodeFileName(src).c_str());
    struct stat source;
    if (from.error() != 0) return fail(src, false, from.error());
    if (fstatat(from.dir(), from.leaf(), &source, AT_SYMLINK_NOFOLLOW) != 0) return fail(src, false, errno);
    if (S_ISLNK(source.st_mode)) return copy_link(src, dst, from, source, overwrite, move, descriptions);
    if (S_ISDIR(source.st_mode)) return copy_directory(src, dst, source, move, status, descriptions);
    if (is_special(source.st_mode)) return copy_special(src, dst, source, overwrite, move, descriptions);
    return copy_regular(src, dst, from, overwrite, move, status, descriptions, flags);
}
