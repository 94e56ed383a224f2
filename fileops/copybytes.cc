#include "fileops/copybytes.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <memory>

#include "console/console.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/fileglobals.h"
#include "fileops/fserror.h"

namespace {

constexpr size_t kBufferSize = 32768;               // the read and write loop
constexpr size_t kKernelChunk = 8u * 1024 * 1024;  // one in-kernel copy step between two looks for Esc
constexpr int kEioRetries = 3;
constexpr int kWaitStepMs = 100;  // between two looks for Esc while a device or FIFO waits
constexpr int kStopped = -1;      // write_all: the user stopped waiting

CopyResult fail(const wchar_t* path, bool destination, int code) {
    return CopyResult::Failed(code, path, destination);
}

CopyResult aborted() { return CopyResult{-1, Westring(), false}; }

ssize_t do_read(int fd, void* buffer, size_t size) {
    return copy_seams.read ? copy_seams.read(fd, buffer, size) : read(fd, buffer, size);
}
ssize_t do_write(int fd, const void* buffer, size_t size) {
    return copy_seams.write ? copy_seams.write(fd, buffer, size) : write(fd, buffer, size);
}

// Writes all of size bytes: 0, kStopped, or the error number. A
// non-blocking destination that is full is waited for in short steps.
int write_all(int fd, const char* data, size_t size, bool nonblocking) {
    while (size > 0) {
        ssize_t n = do_write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (nonblocking && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (copy_stop_requested()) return kStopped;
                struct pollfd ready = {fd, POLLOUT, 0};
                (void)poll(&ready, 1, kWaitStepMs);
                continue;
            }
            return errno;
        }
        if (n == 0) return ENOSPC;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

void count(copy_status* status, int64_t& copied, ssize_t n) {
    copied += n;
    if (status) {
        status->bytes_done += n;
        progressUpdate(status);
    }
}

}  // namespace

bool copy_stop_requested() { return break_status == 2 || fileops_esc_pending(); }

int open_special_for_writing(int dir, const char* leaf, bool* stopped) {
    *stopped = false;
    for (;;) {
        int fd = openat(dir, leaf, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) return fd;
        // A FIFO nobody reads yet.
        if (errno != ENXIO && errno != EINTR) return -1;
        if (copy_stop_requested()) {
            *stopped = true;
            return -1;
        }
        if (errno == ENXIO) usleep(kWaitStepMs * 1000);
    }
}

CopyResult copy_bytes(int in, int out, const wchar_t* src, const wchar_t* dst, bool kernel_copy,
                      bool out_nonblocking, off_t expected, copy_status* status, int64_t& copied) {
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
            count(status, copied, n);
            if (copy_stop_requested()) return aborted();
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
            int code = EIO, done = 0;
            fs_error(code, done, src);
            if (!done) {
                eio_count = 0;
                continue;
            }
            return code == -1 ? aborted() : fail(src, false, EIO);
        }
        eio_count = 0;
        if (n == 0) return CopyResult::Done();
        int written = write_all(out, buffer.get(), static_cast<size_t>(n), out_nonblocking);
        if (written == kStopped) return aborted();
        if (written != 0) return fail(dst, true, written);
        count(status, copied, n);
        if (copy_stop_requested()) return aborted();
    }
}
