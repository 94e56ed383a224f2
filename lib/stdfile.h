// StdFile: a buffered file that switches between reading and writing, with
// 64-bit positions and a sticky error number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <sys/types.h>

#include "lib/timestamp.h"
#include "lib/westring.h"

// open(2) for a file whose name someone else may have chosen: only a
// regular file opens. The open never waits (on a FIFO or a device), O_TRUNC
// takes effect only once the file is known to be regular, and anything else
// is closed untouched. The descriptor, or -1 with errno set: EISDIR for a
// directory, ENODEV for any other kind of file.
int OpenRegularFile(const char* name, int flags, mode_t permissions = 0664);
// The same for name relative to the directory dir (as openat takes them).
int OpenRegularFileAt(int dir, const char* name, int flags, mode_t permissions = 0664);

class StdFile {
public:
    static constexpr int kBufferSize = 4096;

    // Bits of the open mode. No bits at all opens for reading only.
    enum : int {
        kRead = 1,         // with kWrite: read and write
        kWrite = 2,        // truncates the file unless kAppend is given
        kCreate = 4,       // create when missing
        kAppend = 8,       // no truncation; start at the end of the file
        kInherit = 16,     // keep the descriptor across exec
        kText = 32,        // puts writes line feeds as CR LF
        kExecutable = 64,  // create with permissions 0775 instead of 0664
        kRegularOnly = 128,  // only a regular file opens (see OpenRegularFile)
    };

    StdFile();
    // Open at once; see open. The share argument has no effect.
    StdFile(const char* name, int mode = 0, int share = 0);
    StdFile(const Westring& name, int mode = 0, int share = 0);
    // Closes the file (its error is lost: call close to see it).
    ~StdFile();
    StdFile(const StdFile&) = delete;
    StdFile& operator=(const StdFile&) = delete;

    // Closes a file still open, then opens the named one (narrow names go to
    // the system as they are; wide names through EncodeFileName). 0 or the error number; a
    // failed open leaves the file unopened.
    [[nodiscard]] int open(const char* name, int mode = 0, int share = 0);
    [[nodiscard]] int open(const Westring& name, int mode = 0, int share = 0);
    // Writes what is buffered and closes; a write error wins over the
    // close's. Closing an unopened file gives 0.
    [[nodiscard]] int close();
    // Writes what is buffered, all of it; the error field is cleared first.
    [[nodiscard]] int flush();

    // Copies up to n bytes; the count copied is stored when asked for. When
    // fewer than n came: 0 if at least one did, -1 (end of file) if none.
    [[nodiscard]] int read(void* destination, size_t n, size_t* bytes_read = nullptr);
    [[nodiscard]] int write(const void* source, size_t n);
    // Writes the text; in text mode each line feed goes out as CR LF.
    [[nodiscard]] int puts(const char* text);
    // The text and one line feed (never CR LF).
    [[nodiscard]] int putln(const char* text);
    // Reads one line of at most size - 1 bytes into destination without its
    // line feed and trailing carriage returns; a longer line is cut and its
    // rest comes with the next call. 0 (also for an empty line), -1 at the
    // end of the file with nothing read, or the error number. Nothing is
    // written for a null destination or a size below 1 (EINVAL).
    int gets(char* destination, int size);

    // The size of the open file including data not yet written; -1 on error.
    int64_t size();
    // Cuts or extends the file to the size; the position stays where it is.
    [[nodiscard]] int changesize(int64_t size);

    int64_t getptr() const { return handle_position_ - valid_ + position_; }
    [[nodiscard]] int setptr(int64_t position);
    [[nodiscard]] int seek(int32_t distance) { return setptr(getptr() + distance); }
    [[nodiscard]] int rewind() { return setptr(0); }

    // The file's modification time.
    [[nodiscard]] int timestamp(TimeStamp& stamp);
    [[nodiscard]] int timestamp(DOSDATE& date, DOSTIME& time);
    // Sets the modification time (to the microsecond) and the access time
    // to now; buffered data is written first so that it cannot touch the
    // time later.
    [[nodiscard]] int settimestamp(const TimeStamp& stamp);
    [[nodiscard]] int settimestamp(DOSDATE date, DOSTIME time);

    bool isopen() const { return handle_ >= 0; }
    int gethandle() const { return handle_; }
    // 0, an error number, or -1 for the end of the file reached.
    int geterror() const { return error_; }
    const Westring& getname() const { return name_; }
    bool textmode() const { return text_mode_; }
    void settextmode(bool on) { text_mode_ = on; }

private:
    int handle_ = -1;  // -1: not open (0 is a valid descriptor)
    int error_ = 0;
    std::unique_ptr<char[]> buffer_;
    int position_ = 0;         // next byte in the buffer
    int valid_ = 0;            // bytes of file data in the buffer (reading)
    bool writing_ = false;     // the buffer holds data still to be written
    int64_t handle_position_ = 0;  // the descriptor's own file offset
    Westring name_;
    bool text_mode_ = false;

    int open_named(const Westring& name, const char* system_name, int mode);
    int fill_buffer();
    int write_buffer();
    int leave_writing();
    int move_handle(int64_t position);
    void forget_buffer();
    int fail(int error) { return error_ = error; }
};
