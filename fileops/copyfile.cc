#include "fileops/copyfile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/breakscope.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descriptions.h"
#include "fileops/dirnames.h"
#include "fileops/fileglobals.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"

namespace {

constexpr size_t kBufferSize = 32768;               // the read and write loop
constexpr size_t kKernelChunk = 8u * 1024 * 1024;  // one in-kernel copy step between two looks for Esc
constexpr int kEioRetries = 3;

CopyResult fail(const wchar_t* path, bool destination, int code) {
    return CopyResult::Failed(code, path, destination);
}

CopyResult aborted() { return CopyResult{-1, Westring(), false}; }

bool stop_requested() { return break_status == 2 || fileops_esc_pending(); }

ssize_t do_read(int fd, void* buffer, size_t size) {
    return copy_seams.read ? copy_seams.read(fd, buffer, size) : read(fd, buffer, size);
}
ssize_t do_write(int fd, const void* buffer, size_t size) {
    return copy_seams.write ? copy_seams.write(fd, buffer, size) : write(fd, buffer, size);
}
int do_close(int fd) { return copy_seams.close ? copy_seams.close(fd) : close(fd); }

// Whether the process may give files away (it runs as root); asked once.
bool may_chown() {
    static const bool root = geteuid() == 0;
    return root;
}

void keep_owner(int fd, const struct stat& from) {
    if (!may_chown()) return;
    // The owner cannot always be given (EPERM on some file systems); the
    // copy stands anyway.
    int given = fchown(fd, from.st_uid, from.st_gid);
    (void)given;
}

void keep_times(int fd, const struct stat& from) {
    struct timespec times[2] = {from.st_atim, from.st_mtim};
    futimens(fd, times);
}

// The metadata of a node made by path (links, special files, directories).
void keep_path_metadata(const Estring& path, const struct stat& from, bool link) {
    if (may_chown()) {
        int owned = link ? lchown(path.c_str(), from.st_uid, from.st_gid) : chown(path.c_str(), from.st_uid, from.st_gid);
        (void)owned;
    }
    if (!link) chmod(path.c_str(), from.st_mode & 07777);
    struct timespec times[2] = {from.st_atim, from.st_mtim};
    utimensat(AT_FDCWD, path.c_str(), times, link ? AT_SYMLINK_NOFOLLOW : 0);
}

// Writes all of size bytes; 0 or the error number.
int write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = do_write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// The byte loop: copies in from out, counting into status. Done, -1
// (stopped by the user or cancelled at the read error prompt), EIO (skipped
// after a read error) or an error number.
CopyResult copy_bytes(int in, int out, const wchar_t* src, const wchar_t* dst, bool kernel_copy, off_t expected,
               copy_status* status, int64_t& copied) {
    // The kernel copies between the files itself where it can; any failure
    // hands over to the plain loop, which then meets the real error (if any)
    // at the same position.
    if (kernel_copy && !copy_seams.read && !copy_seams.write) {
        bool first = true;
        for (;;) {
            ssize_t n = copy_file_range(in, nullptr, out, nullptr, kKernelChunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || (n == 0 && first && expected > 0)) break;
            if (n == 0) return CopyResult::Done();
            first = false;
            copied += n;
            if (status) {
                status->bytes_done += n;
                progressUpdate(status);
            }
            if (stop_requested()) return aborted();
        }
    }

    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    int eio_count = 0;
    for (;;) {
        ssize_t n = do_read(in, buffer.get(), kBufferSize);
        if (n < 0) {
            int error = errno;
            if (error == EINTR) continue;
            if (error != EIO) return fail(src, false, error);
            if (++eio_count < kEioRetries) continue;
            if (status) status->StopUpdate();
            int code = EIO, done = 0;
            fs_error(code, done, src);
            if (!done) {
                eio_count = 0;
                if (status) status->StartUpdate(fwin);
                continue;
            }
            return code == -1 ? aborted() : fail(src, false, EIO);
        }
        eio_count = 0;
        if (n == 0) return CopyResult::Done();
        int written = write_all(out, buffer.get(), static_cast<size_t>(n));
        if (written != 0) return fail(dst, true, written);
        copied += n;
        if (status) {
            status->bytes_done += n;
            progressUpdate(status);
        }
        if (stop_requested()) return aborted();
    }
}

bool is_special(mode_t mode) { return S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode) || S_ISSOCK(mode); }

// The process's umask as the system reports it (without changing it, as
// umask() would); -1 when it cannot be read.
int process_umask() {
    static int mask = [] {
        FILE* status = std::fopen("/proc/self/status", "r");
        if (!status) return -1;
        char line[256];
        int found = -1;
        while (std::fgets(line, sizeof line, status)) {
            unsigned value;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                found = static_cast<int>(value);
                break;
            }
        }
        std::fclose(status);
        return found;
    }();
    return mask;
}

// Whether a file created with the permission bits of mode kept all of them.
bool mode_survived_umask(mode_t mode) {
    int mask = process_umask();
    return mask >= 0 && (mode & 07000) == 0 && (mode & static_cast<mode_t>(mask) & 0777) == 0;
}

// Opens the destination of a regular file. A new file is made with the
// source's permission bits (created); an existing device or FIFO is written
// as it is (device); an existing file only when overwrite is set, and never
// when it is the source itself. The descriptor, or -1 with errno set.
int open_destination(const Estring& to, const struct stat& source, bool overwrite, bool& created, bool& device) {
    const mode_t mode = source.st_mode & 0777;
    int out;
    if (!overwrite) {
        do {
            out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        } while (out < 0 && errno == EINTR);
        if (out >= 0) {
            created = true;
            return out;
        }
        if (errno != EEXIST) return -1;
    }
    struct stat existing;
    bool exists = stat(to.c_str(), &existing) == 0;
    // Writing would destroy the very data being read.
    device = exists && is_special(existing.st_mode);
    if ((exists && existing.st_dev == source.st_dev && existing.st_ino == source.st_ino) || (!device && !overwrite)) {
        errno = EEXIST;
        return -1;
    }
    do {
        if (device) out = open(to.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        else out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    } while (out < 0 && errno == EINTR);
    if (out < 0) return -1;
    if (device) fcntl(out, F_SETFL, fcntl(out, F_GETFL) & ~O_NONBLOCK);
    created = !exists;
    return out;
}

// Removes a source that has been copied, keeping its description when it
// stays. Done, RESULT_SKIPPED (the user kept it) or -1.
CopyResult remove_moved_source(const wchar_t* src, copy_status* status) {
    int deleted = delete_file(src, DELETE_SILENT, status);
    if (deleted < 0) return aborted();
    return deleted > 0 ? CopyResult::Done() : fail(src, false, RESULT_SKIPPED);
}

CopyResult copy_link(const wchar_t* src, const wchar_t* dst, const Estring& from, const struct stat& status_of_src,
              bool move, StdFile& descriptions, copy_status* status) {
    std::vector<char> target(static_cast<size_t>(status_of_src.st_size > 0 ? status_of_src.st_size : 255) + 1);
    ssize_t length;
    for (;;) {
        length = readlink(from.c_str(), target.data(), target.size());
        if (length < 0) return fail(src, false, errno);
        if (static_cast<size_t>(length) < target.size()) break;
        target.resize(target.size() * 2);
    }
    if (length == 0) return fail(src, false, EINVAL);
    target[static_cast<size_t>(length)] = 0;
    Estring to = EncodeFileName(dst);
    if (symlink(target.data(), to.c_str()) != 0) return fail(dst, true, errno);
    keep_path_metadata(to, status_of_src, true);
    copy_desc(src, dst, descriptions);
    return move ? remove_moved_source(src, status) : CopyResult::Done();
}

CopyResult copy_special(const wchar_t* src, const wchar_t* dst, const struct stat& status_of_src, bool move,
                 StdFile& descriptions, copy_status* status) {
    Estring to = EncodeFileName(dst);
    int made = S_ISFIFO(status_of_src.st_mode) ? mkfifo(to.c_str(), status_of_src.st_mode & 07777)
                                               : mknod(to.c_str(), status_of_src.st_mode, status_of_src.st_rdev);
    if (made != 0) return fail(dst, true, errno);
    keep_path_metadata(to, status_of_src, false);
    copy_desc(src, dst, descriptions);
    return move ? remove_moved_source(src, status) : CopyResult::Done();
}

CopyResult copy_directory(const wchar_t* src, const wchar_t* dst, const struct stat& status_of_src, bool move,
                   copy_status* status, StdFile& descriptions) {
    Westring real_src, real_dst;
    if (!RealLocation(Westring(src), real_src) || !RealLocation(Westring(dst), real_dst)) {
        if (status) status->StopUpdate();
        error(L"Invalid Path", Westring(src), MB_OK);
        return aborted();
    }
    if (IsInsideOrSame(real_src, real_dst)) {
        if (status) status->StopUpdate();
        error(L"Directory cannot be copied into itself", Westring(dst), MB_OK);
        return aborted();
    }

    Estring to = EncodeFileName(dst);
    if (mkdir(to.c_str(), 0700) == 0) {
        copy_desc(src, dst, descriptions);
    } else {
        int error_code = errno;
        struct stat existing;
        if (error_code != EEXIST) return fail(dst, true, error_code);
        // An existing directory is merged into; anything else is in the way.
        if (stat(to.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode)) return fail(dst, true, EEXIST);
    }

    std::vector<Westring> names;
    int listed = ListNames(src, names, true);
    if (listed != 0) return fail(src, false, listed);

    StdFile own_descriptions;
    // Without a readable description file the entries go without descriptions.
    (void)open_dir_desc(Westring(src), own_descriptions);
    int result = 0;
    int failures = 0;
    for (const Westring& name : names) {
        Westring from = join_path(Westring(src), name);
        Westring target_name = name;
        if (case_filter) {
            struct stat entry_status;
            if (lstat(EncodeFileName(from).c_str(), &entry_status) == 0 && !S_ISDIR(entry_status.st_mode))
                target_name.downcase();
        }
        Westring to_path = join_path(Westring(dst), target_name);
        int item = move ? move_file(from.c_str(), to_path.c_str(), 1, 1, status, own_descriptions, false)
                        : copy_file(from.c_str(), to_path.c_str(), 1, 1, status, own_descriptions);
        if (item < 0) {
            result = -1;
            break;
        }
        if (item > 0) failures++;
        if (stop_requested()) {
            result = -1;
            break;
        }
    }
    (void)own_descriptions.close();  // read only: nothing to lose
    if (result < 0) return aborted();

    if (move && failures == 0) {
        // Only an emptied source directory goes; descriptions of names that
        // never existed travel along instead of being lost.
        int carried = carry_desc_leftovers(Westring(src), Westring(dst));
        if (carried != 0) return fail(src, false, carried);
        if (rmdir(EncodeFileName(src).c_str()) != 0) return fail(src, false, errno);
        delete_desc(src, &descriptions);
    }
    keep_path_metadata(to, status_of_src, false);
    // Each item that failed was reported already; the directory stays.
    return failures ? fail(src, false, RESULT_SKIPPED) : CopyResult::Done();
}

CopyResult copy_regular(const wchar_t* src, const wchar_t* dst, const Estring& from, bool overwrite, bool move,
                 copy_status* status, StdFile& descriptions, int flags) {
    int in;
    do {
        in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (in < 0 && errno == EINTR);
    if (in < 0) return fail(src, false, errno);
    // Readers share the file; a writer holding it exclusively means the
    // source is being written right now.
    if (flock(in, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK && !(flags & COPY_OPEN_WRITTEN)) {
        close(in);
        return fail(src, false, RESULT_OPEN_FOR_WRITE);
    }
    struct stat source;
    if (fstat(in, &source) != 0) {
        int error_code = errno;
        close(in);
        return fail(src, false, error_code);
    }

    Estring to = EncodeFileName(dst);
    bool created = false, device = false;
    int out = open_destination(to, source, overwrite, created, device);
    if (out < 0) {
        int error_code = errno;
        close(in);
        return fail(dst, true, error_code);
    }

    int64_t copied = 0;
    CopyResult result = copy_bytes(in, out, src, dst, !device, source.st_size, status, copied);
    close(in);
    if (result.code == 0 && !device) {
        // A moved file must be on the disk before its source goes.
        if (move && fsync(out) != 0) result = fail(dst, true, errno);
        keep_owner(out, source);
        // A new file was made with the source's permission bits; only what
        // the umask took away (or the special bits) needs setting again.
        if (!created || !mode_survived_umask(source.st_mode)) {
            if (fchmod(out, source.st_mode & 07777) != 0 && result.code == 0) result = fail(dst, true, errno);
        }
        keep_times(out, source);
    }
    if (do_close(out) != 0 && result.code == 0) result = fail(dst, true, errno);

    if (result.code != 0) {
        if (status) status->bytes_done -= copied;
        if (!device) unlink(to.c_str());
        return result;
    }
    copy_desc(src, dst, descriptions);
    return move ? remove_moved_source(src, status) : CopyResult::Done();
}

}  // namespace

CopyResult copyfile(const wchar_t* src, const wchar_t* dst, bool overwrite, bool move, copy_status* status,
             StdFile& descriptions, int flags) {
    CBreakScope running;
    progressUpdate(status);
    Estring from = EncodeFileName(src);
    struct stat source;
    if (lstat(from.c_str(), &source) != 0) return fail(src, false, errno);
    if (S_ISLNK(source.st_mode)) return copy_link(src, dst, from, source, move, descriptions, status);
    if (S_ISDIR(source.st_mode)) return copy_directory(src, dst, source, move, status, descriptions);
    if (is_special(source.st_mode)) return copy_special(src, dst, source, move, descriptions, status);
    return copy_regular(src, dst, from, overwrite, move, status, descriptions, flags);
}
