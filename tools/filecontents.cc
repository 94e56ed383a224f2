#include "tools/filecontents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/msgbox.h"
#include "fileops/copyseams.h"
#include "lib/fsname.h"

namespace {

constexpr size_t kBlockSize = 262144;
constexpr int kTitleWidth = 36;

// An open file that closes itself.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile() {
        if (fd_ >= 0) close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // 0, or the error number of the open or the status query.
    [[nodiscard]] int Open(const Westring& path) {
        fd_ = open(EncodeFileName(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return errno;
        if (fstat(fd_, &status_) != 0) return errno;
        return 0;
    }
    bool regular() const { return S_ISREG(status_.st_mode); }
    const struct stat& status() const { return status_; }

    // Fills buffer up to size, reading on after short reads; the bytes
    // read (fewer only at the end of the file), or -1 with errno set.
    ssize_t ReadBlock(char* buffer, size_t size) {
        size_t done = 0;
        while (done < size) {
            ssize_t n = copy_seams.read ? copy_seams.read(fd_, buffer + done, size - done)
                                        : read(fd_, buffer + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            done += static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(done);
    }

private:
    int fd_ = -1;
    struct stat status_ {};
};

// Files that cannot be read as a stream of bytes: alike only when they are
// the same kind of thing.
ContentsVerdict compare_special(const struct stat& left, const struct stat& right) {
    if ((left.st_mode & S_IFMT) != (right.st_mode & S_IFMT)) return ContentsVerdict::kDifferent;
    if ((S_ISCHR(left.st_mode) || S_ISBLK(left.st_mode)) && left.st_rdev != right.st_rdev)
        return ContentsVerdict::kDifferent;
    return ContentsVerdict::kSame;
}

// The small window that shows how far the comparison has got.
// It opens at the first step of a file longer than one block: a file read
// at one go would only flash it, and a directory of small files would spend
// more time drawing than reading.
class ComparingWindow {
public:
    explicit ComparingWindow(const Westring& left_path) : left_path_(left_path) {}
    void Show(uint64_t done, uint64_t total) {
        if (!console || done >= total) return;
        if (!dialog_) {
            dialog_ = std::make_unique<Dialog>(-1, -2, 40, 6, colours[CLR_MESSAGES]);
            dialog_->PutCentre(-1, L"Comparing");
            dialog_->PutCentre(1, left_path_.filename().left(kTitleWidth).c_str());
            bar_ = dialog_->AddProgressIndicator(1, 3, kTitleWidth, fraction_);
        }
        fraction_ = static_cast<double>(done) / static_cast<double>(total);
        dialog_->Draw(bar_);
    }

private:
    const Westring& left_path_;
    std::unique_ptr<Dialog> dialog_;
    double fraction_ = 0;
    int bar_ = -1;
};

ContentsVerdict report(int error_number, const Westring& path) {
    (void)error(Westring(std::strerror(error_number)), path, MB_OK);
    return ContentsVerdict::kStopped;
}

}  // namespace

ContentsVerdict compare_file_contents(const Westring& left_path, const Westring& right_path) {
    ReadOnlyFile left, right;
    if (int e = left.Open(left_path)) return report(e, left_path);
    if (int e = right.Open(right_path)) return report(e, right_path);
    if (!left.regular() || !right.regular()) {
        if (left.regular() != right.regular()) return ContentsVerdict::kDifferent;
        return compare_special(left.status(), right.status());
    }
    if (left.status().st_size != right.status().st_size) return ContentsVerdict::kDifferent;

    ComparingWindow window(left_path);
    const uint64_t total = static_cast<uint64_t>(left.status().st_size);
    std::vector<char> left_block(kBlockSize), right_block(kBlockSize);
    uint64_t done = 0;
    for (;;) {
        const ssize_t left_count = left.ReadBlock(left_block.data(), kBlockSize);
        if (left_count < 0) return report(errno, left_path);
        const ssize_t right_count = right.ReadBlock(right_block.data(), kBlockSize);
        if (right_count < 0) return report(errno, right_path);
        // Either file may have grown or shrunk since it was listed: only
        // the two ending together, with the same bytes, makes them the same.
        if (left_count != right_count) return ContentsVerdict::kDifferent;
        if (left_count == 0) return ContentsVerdict::kSame;
        if (std::memcmp(left_block.data(), right_block.data(), static_cast<size_t>(left_count)) != 0)
            return ContentsVerdict::kDifferent;
        done += static_cast<uint64_t>(left_count);
        window.Show(done, total);
        if (fileops_esc_pending()) return ContentsVerdict::kStopped;
    }
}
