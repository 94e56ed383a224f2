#include "lib/stdfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "lib/atpath.h"
#include "lib/fsname.h"

int OpenRegularFile(const char* name, int flags, mode_t permissions) {
    return OpenRegularFileAt(AT_FDCWD, name, flags, permissions);
}

int OpenRegularFileAt(int dir, const char* name, int flags, mode_t permissions) {
    // Truncating waits until the file is known to be a regular one.
    const bool truncate = (flags & O_TRUNC) != 0;
    int fd;
    do {
        fd = ::openat(dir, name, (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY, permissions);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    int error = 0;
    struct stat status;
    if (fstat(fd, &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(status.st_mode)) {
        error = ENODEV;
    } else if (!(flags & O_NONBLOCK)) {
        int now = fcntl(fd, F_GETFL);
        if (now < 0 || fcntl(fd, F_SETFL, now & ~O_NONBLOCK) != 0) error = errno;
    }
    if (error == 0 && truncate) {
        int result;
        do {
            result = ftruncate(fd, 0);
        } while (result != 0 && errno == EINTR);
        if (result != 0) error = errno;
    }
    if (error == 0) return fd;
    ::close(fd);
    errno = error;
    return -1;
}

StdFile::StdFile() : buffer_(new char[kBufferSize]) {}

// A failed open shows through isopen() and the error field.
StdFile::StdFile(const char* name, int mode, int share) : StdFile() { (void)open(name, mode, share); }

StdFile::StdFile(const Westring& name, int mode, int share) : StdFile() { (void)open(name, mode, share); }

StdFile::~StdFile() { (void)close(); }

int StdFile::open(const char* name, int mode, int) {
    if (name == nullptr) name = "";
    // The system gets the bytes exactly as given, so that a name that is not
    // valid UTF-8 still opens the file it names; the wide name kept for
    // getname converts back to the same bytes.
    return open_named(DecodeFileName(name), name, mode);
}

int StdFile::open(const Westring& name, int mode, int) {
    // Characters that stand for raw bytes go to the system as those bytes.
    Estring system_name = EncodeFileName(name);
    return open_named(name, system_name.c_str(), mode);
}

int StdFile::open_named(const Westring& name, const char* system_name, int mode) {
    // Data of the previous file must not vanish unnoticed.
    if (close() != 0) return error_;
    name_ = name;
    error_ = 0;
    forget_buffer();
    writing_ = false;
    handle_position_ = 0;
    text_mode_ = (mode & kText) != 0;

    int flags;
    if ((mode & (kRead | kWrite)) == (kRead | kWrite)) {
        flags = O_RDWR;
    } else if (mode & kWrite) {
        flags = O_WRONLY;
    } else {
        flags = O_RDONLY;
    }
    if ((mode & kWrite) && !(mode & kAppend)) flags |= O_TRUNC;
    if (mode & kCreate) flags |= O_CREAT;
    if (!(mode & kInherit)) flags |= O_CLOEXEC;
    mode_t permissions = (mode & kExecutable) ? 0775 : 0664;

    // Files deep below the path limit are reached as well.
    AtPath at(system_name);
    if (at.error() != 0) return fail(at.error());
    int fd;
    if (mode & kRegularOnly) {
        fd = OpenRegularFileAt(at.dir(), at.leaf(), flags, permissions);
    } else {
        do {
            fd = ::openat(at.dir(), at.leaf(), flags, permissions);
        } while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) return fail(errno);
    handle_ = fd;

    if (mode & kAppend) {
        // A pipe or terminal has no end to move to; it simply starts at 0.
        off_t end = lseek(fd, 0, SEEK_END);
        if (end >= 0) handle_position_ = end;
    }
    return 0;
}

int StdFile::close() {
    if (handle_ < 0) return 0;
    int result = flush();
    // The descriptor is released even when close reports an error, so it is
    // never closed a second time (it may belong to another file by then).
    if (::close(handle_) != 0 && result == 0) result = errno;
    handle_ = -1;
    forget_buffer();
    writing_ = false;
    handle_position_ = 0;
    return fail(result);
}

int StdFile::flush() {
    error_ = 0;
    if (handle_ < 0 || !writing_ || position_ == 0) return 0;
    return write_buffer();
}

// Writes the buffered bytes, retrying short writes. Bytes that could not be
// written stay in the buffer, so a later flush can try them again.
int StdFile::write_buffer() {
    int done = 0;
    int error = 0;
    while (done < position_) {
        ssize_t n = ::write(handle_, buffer_.get() + done, static_cast<size_t>(position_ - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (n == 0) {
            error = ENOSPC;  // nothing taken: the medium has no room
            break;
        }
        done += static_cast<int>(n);
        handle_position_ += n;
    }
    if (done > 0 && done < position_) std::memmove(buffer_.get(), buffer_.get() + done, position_ - done);
    position_ -= done;
    if (error != 0) fail(error);
    return error;
}

int StdFile::fill_buffer() {
    ssize_t n;
    do {
        n = ::read(handle_, buffer_.get(), kBufferSize);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail(errno);
    handle_position_ += n;
    valid_ = static_cast<int>(n);
    position_ = 0;
    return 0;
}

int StdFile::leave_writing() {
    if (!writing_) return 0;
    if (flush() != 0) return error_;
    writing_ = false;
    forget_buffer();
    return 0;
}

int StdFile::move_handle(int64_t position) {
    if (position == handle_position_) return 0;
    if (lseek(handle_, static_cast<off_t>(position), SEEK_SET) < 0) return fail(errno);
    handle_position_ = position;
    return 0;
}

void StdFile::forget_buffer() {
    position_ = 0;
    valid_ = 0;
}

int StdFile::read(void* destination, size_t n, size_t* bytes_read) {
    if (bytes_read) *bytes_read = 0;
    if (handle_ < 0) return fail(EBADF);
    if (leave_writing() != 0) return error_;
    if (error_ != 0) return error_;

    char* out = static_cast<char*>(destination);
    size_t copied = 0;
    while (copied < n) {
        if (position_ == valid_) {
            if (fill_buffer() != 0) break;
            if (valid_ == 0) break;  // end of file
        }
        size_t take = std::min(n - copied, static_cast<size_t>(valid_ - position_));
        std::memcpy(out + copied, buffer_.get() + position_, take);
        position_ += static_cast<int>(take);
        copied += take;
    }
    if (bytes_read) *bytes_read = copied;
    if (error_ == 0 && copied < n && copied == 0) error_ = -1;
    return error_;
}

int StdFile::write(const void* source, size_t n) {
    if (handle_ < 0) return fail(EBADF);
    if (error_ != 0) return error_;
    if (!writing_) {
        // Write where the reader stands, not where the last refill ended.
        if (move_handle(getptr()) != 0) return error_;
        forget_buffer();
        writing_ = true;
    }
    const char* in = static_cast<const char*>(source);
    while (n > 0) {
        if (position_ == kBufferSize && write_buffer() != 0) return error_;
        size_t take = std::min(n, static_cast<size_t>(kBufferSize - position_));
        std::memcpy(buffer_.get() + position_, in, take);
        position_ += static_cast<int>(take);
        in += take;
        n -= take;
    }
    return error_;
}

int StdFile::puts(const char* text) {
    if (text == nullptr) text = "";
    if (!text_mode_) return write(text, std::strlen(text));
    for (;;) {
        const char* line_feed = std::strchr(text, '\n');
        if (line_feed == nullptr) return write(text, std::strlen(text));
        if (write(text, static_cast<size_t>(line_feed - text)) != 0) return error_;
        if (write("\r\n", 2) != 0) return error_;
        text = line_feed + 1;
    }
}

int StdFile::putln(const char* text) {
    if (puts(text) != 0) return error_;
    return write("\n", 1);
}

int StdFile::gets(char* destination, int size) {
    if (destination == nullptr || size <= 0) return EINVAL;
    int stored = 0;
    bool consumed = false;
    while (stored < size - 1) {
        char ch;
        if (!writing_ && error_ == 0 && position_ < valid_) {
            ch = buffer_[position_++];
        } else if (read(&ch, 1) != 0) {
            break;
        }
        consumed = true;
        if (ch == '\n' || ch == 0) break;
        destination[stored++] = ch;
    }
    while (stored > 0 && (destination[stored - 1] == '\r' || destination[stored - 1] == '\n')) stored--;
    destination[stored] = 0;
    // A last line without its line feed is a line all the same.
    if (consumed && error_ == -1) error_ = 0;
    return error_;
}

int64_t StdFile::size() {
    if (handle_ < 0) {
        fail(EBADF);
        return -1;
    }
    struct stat status;
    if (fstat(handle_, &status) != 0) {
        fail(errno);
        return -1;
    }
    int64_t size = status.st_size;
    if (writing_ && position_ > 0) size = std::max(size, handle_position_ + position_);
    return size;
}

int StdFile::changesize(int64_t size) {
    if (flush() != 0) return error_;
    if (handle_ < 0) return fail(EBADF);
    if (size < 0) return fail(EINVAL);
    int result;
    do {
        result = ftruncate(handle_, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result != 0) return fail(errno);
    if (!writing_ && valid_ > 0) {
        // The read buffer may hold bytes that are gone now: read them afresh.
        if (move_handle(getptr()) != 0) return error_;
        forget_buffer();
    }
    return 0;
}

int StdFile::setptr(int64_t position) {
    if (flush() != 0) return error_;
    if (handle_ < 0) return fail(EBADF);
    if (position < 0) return fail(EINVAL);
    if (writing_) {
        writing_ = false;
        forget_buffer();
    }
    int64_t buffer_start = handle_position_ - valid_;
    if (position >= buffer_start && position <= handle_position_) {
        position_ = static_cast<int>(position - buffer_start);
        return 0;
    }
    if (move_handle(position) != 0) return error_;
    forget_buffer();
    return 0;
}

int StdFile::timestamp(TimeStamp& stamp) {
    if (handle_ < 0) return fail(EBADF);
    struct stat status;
    if (fstat(handle_, &status) != 0) return fail(errno);
    stamp = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
    return 0;
}

int StdFile::timestamp(DOSDATE& date, DOSTIME& time) {
    TimeStamp stamp;
    if (timestamp(stamp) != 0) return error_;
    stamp.ToDos(date, time);
    return 0;
}

int StdFile::settimestamp(const TimeStamp& stamp) {
    if (flush() != 0) return error_;
    if (handle_ < 0) return fail(EBADF);
    struct timespec times[2];
    times[0].tv_sec = std::time(nullptr);
    times[0].tv_nsec = 0;
    times[1].tv_sec = static_cast<time_t>(stamp.seconds);
    times[1].tv_nsec = static_cast<long>(stamp.nanoseconds % 1000000000u / 1000 * 1000);
    if (futimens(handle_, times) != 0) return fail(errno);
    return 0;
}

int StdFile::settimestamp(DOSDATE date, DOSTIME time) { return settimestamp(TimeStamp(date, time)); }
