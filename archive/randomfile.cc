#include "archive/randomfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/fsname.h"

namespace {

// Reads up to n bytes at offset, retrying short reads and interruptions.
// The count read; 0 at the end or on an error (a block that cannot be read
// is no data, never made-up bytes).
int read_at(int fd, uint8_t* buffer, int n, int64_t offset) {
    int done = 0;
    while (done < n) {
        ssize_t got = pread(fd, buffer + done, static_cast<size_t>(n - done), offset + done);
        if (got > 0) {
            done += static_cast<int>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return done;
}

int64_t block_start(int64_t pos) { return pos - pos % RandomFile::kBlockSize; }

}  // namespace

int RandomFile::open(const Westring& path) {
    close();
    int fd = ::open(EncodeFileName(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat status;
    if (fstat(fd, &status) != 0) {
        int error = errno;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    size_ = status.st_size;
    position = 0;
    blocks_.clear();
    {
        std::lock_guard<std::mutex> hold(lock_);
        ahead_.offset = -1;
        ahead_.length = 0;
        target_ = -1;
        stopping_ = false;
        generation_++;
    }
    thread_ = std::thread([this] { ReadAhead(); });
    return 0;
}

void RandomFile::SetReadAhead(bool on) {
    read_ahead_ = on;
    if (!on && fd_ >= 0) static_cast<void>(posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL));
}

void RandomFile::StopReadAhead() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        target_ = -1;
    }
    wake_.notify_all();
    thread_.join();
}

void RandomFile::close() {
    StopReadAhead();
    blocks_.clear();
    ahead_.data.reset();
    ahead_.length = 0;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

int RandomFile::Refresh() {
    if (fd_ < 0) return EBADF;
    struct stat status;
    if (fstat(fd_, &status) != 0) return errno;
    std::lock_guard<std::mutex> hold(lock_);
    size_ = status.st_size;
    blocks_.clear();
    ahead_.offset = -1;
    ahead_.length = 0;
    target_ = -1;
    generation_++;  // a block being read ahead now belongs to the old file
    return 0;
}

void RandomFile::ReadAhead() {
    std::unique_ptr<uint8_t[]> spare(new uint8_t[kBlockSize]);
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait(hold, [this] { return stopping_ || target_ >= 0; });
        if (stopping_) return;
        const int64_t offset = target_;
        const uint64_t generation = generation_;
        target_ = -1;
        hold.unlock();
        const int length = read_at(fd_, spare.get(), kBlockSize, offset);
        hold.lock();
        if (generation != generation_ || stopping_) continue;
        if (!ahead_.data) ahead_.data.reset(new uint8_t[kBlockSize]);
        std::swap(ahead_.data, spare);
        ahead_.offset = offset;
        ahead_.length = length;
    }
}

// Fills block with the block at offset: from the read-ahead buffer when it
// holds it, else from the file. Then picks what to read ahead: the next
// block when reading goes forwards, the one before when it goes backwards.
void RandomFile::ReadBlock(Block& block, int64_t offset, int64_t previous_front) {
    if (!block.data) block.data.reset(new uint8_t[kBlockSize]);
    bool taken = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (ahead_.offset == offset && ahead_.length > 0 && ahead_.data) {
            std::swap(block.data, ahead_.data);
            block.length = ahead_.length;
            ahead_.offset = -1;
            ahead_.length = 0;
            taken = true;
        }
    }
    if (!taken) block.length = read_at(fd_, block.data.get(), kBlockSize, offset);
    block.offset = offset;
    if (block.length < kBlockSize || !read_ahead_) return;

    int64_t next = -1;
    if (blocks_.size() == 1 || offset == previous_front + kBlockSize) next = offset + kBlockSize;
    else if (offset + kBlockSize == previous_front && offset >= kBlockSize) next = offset - kBlockSize;
    if (next < 0 || next >= size_) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        target_ = next;
    }
    wake_.notify_one();
}

RandomFile::Block& RandomFile::Load(int64_t pos) {
    const int64_t previous_front = blocks_.empty() ? -1 : blocks_.front().offset;
    if (static_cast<int>(blocks_.size()) < kCachedBlocks) {
        blocks_.insert(blocks_.begin(), Block());
    } else {
        // The least recently used block is reused and moves to the front.
        std::rotate(blocks_.begin(), blocks_.end() - 1, blocks_.end());
    }
    ReadBlock(blocks_.front(), block_start(pos), previous_front);
    return blocks_.front();
}

int RandomFile::GetChar(int64_t pos) {
    if (fd_ < 0 || pos < 0 || pos >= size_) return -1;
    if (!blocks_.empty() && blocks_.front().Holds(pos)) return blocks_.front().data[pos - blocks_.front().offset];
    for (size_t i = 1; i < blocks_.size(); i++) {
        if (!blocks_[i].Holds(pos)) continue;
        std::rotate(blocks_.begin(), blocks_.begin() + static_cast<std::ptrdiff_t>(i),
                    blocks_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return blocks_.front().data[pos - blocks_.front().offset];
    }
    Block& block = Load(pos);
    return block.Holds(pos) ? block.data[pos - block.offset] : -1;
}

int RandomFile::GetBlock(int64_t pos, void* buffer, int& n) {
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int copied = 0;
    while (copied < n) {
        const int64_t at = pos + copied;
        if (GetChar(at) < 0) break;  // brings the block holding at to the front
        const Block& block = blocks_.front();
        const int available = static_cast<int>(block.offset + block.length - at);
        const int take = std::min(available, n - copied);
        std::memcpy(out + copied, block.data.get() + (at - block.offset), static_cast<size_t>(take));
        copied += take;
    }
    n = copied;
    return copied > 0 ? 0 : -1;
}

const uint8_t* RandomFile::Peek(int64_t pos, int& n) {
    n = 0;
    if (GetChar(pos) < 0) return nullptr;  // brings the block holding pos to the front
    const Block& block = blocks_.front();
    n = static_cast<int>(block.offset + block.length - pos);
    return block.data.get() + (pos - block.offset);
}

int RandomFile::read(void* buffer, int n, int* got) {
    int count = 0;
    if (fd_ >= 0 && n > 0 && position >= 0) count = read_at(fd_, static_cast<uint8_t*>(buffer), n, position);
    position += count;
    if (got) *got = count;
    return count > 0 ? 0 : -1;
}

int RandomFile::gets(char* buffer, int size) {
    if (size <= 0) return -1;
    int length = 0;
    bool any = false;
    while (length < size - 1) {
        int c = GetChar(position);
        if (c < 0) break;
        any = true;
        position++;
        if (c == '\n' || c == 0) break;
        buffer[length++] = static_cast<char>(c);
    }
    while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n')) length--;
    buffer[length] = 0;
    return any ? length : -1;
}
