#include "fileops/parallelcopy.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "fileops/besidefile.h"
#include "fileops/copybytes.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "fileops/newfile.h"
#include "fileops/openwriters.h"
#include "fileops/resolvepath.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

namespace {

constexpr int kWorkers = 2;
constexpr size_t kLeastNames = 2;                   // fewer are not worth the threads
constexpr int kPollMs = 10;                         // between two looks for Esc
constexpr size_t kKernelChunk = 8u * 1024 * 1024;  // one in-kernel copy step between two looks for a stop
constexpr size_t kBufferSize = 32768;

// A directory descriptor closed when it goes.
class CDirectory {
public:
    explicit CDirectory(const wchar_t* path) {
        AtPath at(EncodeFileName(path).c_str());
        fd_ = at.OpenDirectory(false);
    }
    ~CDirectory() {
        if (fd_ >= 0) close(fd_);
    }
    CDirectory(const CDirectory&) = delete;
    CDirectory& operator=(const CDirectory&) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// The workers and what they have to say. Only the workers touch the files;
// only the calling thread touches anything else.
class CWorkers {
public:
    // Names are taken from names (leaves of source_dir, in the system's
    // encoding); both descriptors stay open while the workers run.
    CWorkers(int source_dir, int target_dir, const std::vector<std::string>& names, bool open_written)
        : source_dir_(source_dir), target_dir_(target_dir), names_(names), open_written_(open_written) {
        running_ = kWorkers;
        for (int i = 0; i < kWorkers; i++) {
            try {
                threads_.emplace_back(&CWorkers::Work, this);
            } catch (const std::system_error&) {
                // Fewer workers do the same; none leaves every name undone.
                std::lock_guard<std::mutex> lock(mutex_);
                running_--;
            }
        }
    }
    ~CWorkers() { Stop(); }
    CWorkers(const CWorkers&) = delete;
    CWorkers& operator=(const CWorkers&) = delete;

    // Waits up to ms (less when the workers end), then hands over the
    // indexes of the names copied since the last call. False once the
    // workers have ended and everything they did was handed over.
    bool Collect(int ms, std::vector<size_t>& copied) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_ == 0; });
        copied.swap(copied_);
        copied_.clear();
        return running_ > 0;
    }

    // The bytes written since the last call; negative when failed attempts
    // took back more than was written meanwhile.
    int64_t TakeBytes() { return bytes_.exchange(0); }

    // Makes the workers drop the file in hand and end, and waits for them.
    void Stop() {
        stop_ = true;
        for (std::thread& thread : threads_)
            if (thread.joinable()) thread.join();
    }

private:
    void Work() {
        std::unique_ptr<char[]> buffer(new char[kBufferSize]);
        while (!stop_) {
            size_t index = next_.fetch_add(1);
            if (index >= names_.size()) break;
            if (!CopyOne(names_[index].c_str(), buffer.get())) continue;
            std::lock_guard<std::mutex> lock(mutex_);
            copied_.push_back(index);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (--running_ == 0) finished_.notify_all();
    }

    // The whole copy of one regular file; false leaves nothing behind.
    bool CopyOne(const char* name, char* buffer) {
        struct stat entry;
        if (fstatat(source_dir_, name, &entry, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(entry.st_mode)) return false;
        struct stat source;
        int in = OpenSource(source_dir_, name, source);
        if (in < 0) return false;
        if ((!open_written_ && OpenForWritingElsewhere(in)) || (copy_seams.file_fault && copy_seams.file_fault(name))) {
            close(in);
            return false;
        }
        int out = -1;
        std::string temp;
        if (CreateBeside(target_dir_, name, source.st_mode & 0777, out, temp) != 0) {
            close(in);
            return false;
        }
        int64_t copied = 0;
        bool whole = CopyBytes(in, out, source.st_size, buffer, copied) && FinishNewFile(out, source, false) == 0;
        close(in);
        if (close(out) != 0) whole = false;
        if (!whole) DropBeside(target_dir_, temp);
        // A name taken meanwhile is left to the caller, who asks.
        if (!whole || PutInPlace(target_dir_, name, temp, false) != 0) {
            bytes_ -= copied;
            return false;
        }
        return true;
    }

    // Copies in to out to its end, in the kernel where it can; false on any
    // failure or a stop.
    bool CopyBytes(int in, int out, off_t size, char* buffer, int64_t& copied) {
        bool in_kernel = true;
        for (;;) {
            if (stop_) return false;
            ssize_t n;
            if (in_kernel) {
                n = copy_file_range(in, nullptr, out, nullptr, kKernelChunk, 0);
                // Any failure, or nothing from a file that has bytes, hands
                // over to the plain loop, which meets the real error if any.
                if ((n < 0 && errno != EINTR) || (n == 0 && copied == 0 && size > 0)) {
                    in_kernel = false;
                    continue;
                }
            } else {
                n = read(in, buffer, kBufferSize);
                for (ssize_t written = 0; n > 0 && written < n;) {
                    ssize_t step = write(out, buffer + written, static_cast<size_t>(n - written));
                    if (step < 0 && errno == EINTR) continue;
                    if (step <= 0) return false;
                    written += step;
                }
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) return true;
            copied += n;
            bytes_ += n;
            // A short step that brought the size seen at the open was the
            // end: asking again would only hear so.
            if (in_kernel && copied == size && static_cast<size_t>(n) < kKernelChunk) return true;
        }
    }

    const int source_dir_, target_dir_;
    const std::vector<std::string>& names_;
    const bool open_written_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> bytes_{0};
    std::vector<std::thread> threads_;

    std::mutex mutex_;  // what follows
    std::condition_variable finished_;
    int running_ = 0;
    std::vector<size_t> copied_;
};

}  // namespace

int CopyFilesInParallel(const wchar_t* src, const wchar_t* dst, const std::vector<Westring>& names,
                        copy_status* status, DescBatch& descriptions, std::vector<bool>& done) {
    done.assign(names.size(), false);
    if (names.size() < kLeastNames || copy_seams.read || copy_seams.write || copy_seams.close) return 0;
    CDirectory source(src), target(dst);
    if (source.fd() < 0 || target.fd() < 0) return 0;
    std::vector<std::string> leaves;
    leaves.reserve(names.size());
    for (const Westring& name : names) leaves.emplace_back(EncodeFileName(name).c_str());

    const Westring source_dir(src), target_dir(dst);
    std::vector<size_t> copied;
    bool stopped = false;
    CWorkers workers(source.fd(), target.fd(), leaves, read_written_all == 1);
    for (bool running = true; running;) {
        running = workers.Collect(kPollMs, copied);
        if (!stopped && copy_stop_requested()) {
            stopped = true;
            workers.Stop();
            // What was finished before the stop is handed over below.
            running = true;
        }
        if (status) {
            status->bytes_done += workers.TakeBytes();
            progressUpdate(status);
        }
        for (size_t index : copied) {
            done[index] = true;
            descriptions.Copy(join_path(source_dir, names[index]), join_path(target_dir, names[index]));
        }
        copied.clear();
    }
    return stopped ? -1 : 0;
}
