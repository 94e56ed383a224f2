// RandomFile: a file read at any position through a small cache of blocks,
// with a thread that reads the next block ahead while the caller works
// through the current one. The archive readers walk their headers through
// it byte by byte, and the viewer pages through large files with it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "lib/westring.h"

class RandomFile {
public:
    static constexpr int kBlockSize = 16384;
    static constexpr int kCachedBlocks = 4;

    RandomFile() = default;
    ~RandomFile() { close(); }
    RandomFile(const RandomFile&) = delete;
    RandomFile& operator=(const RandomFile&) = delete;

    // Opens path for reading (closing a file still open), empties the cache,
    // puts the position at 0, takes the size and starts the read-ahead
    // thread. 0 or the error number.
    [[nodiscard]] int open(const Westring& path);
    // Stops the read-ahead thread and closes the file.
    void close();
    bool is_open() const { return fd_ >= 0; }

    // The size taken at open (or at the last Refresh).
    int64_t size() const { return size_; }
    // Takes the size again and forgets every cached byte: for a file that
    // has grown or changed since it was opened. 0 or the error number.
    [[nodiscard]] int Refresh();

    // Whether a thread reads the next block ahead while the caller works
    // on this one (on by default). A reader that goes through the whole file
    // once, fast, turns it off: the handing over costs more than it saves
    // there, and the system reads ahead on its own for such a reader.
    void SetReadAhead(bool on);

    // The current position of read and gets; the readers also set it.
    int64_t position = 0;

    // Reads up to n bytes at the position, past the cache, and moves the
    // position on by what was read (stored in got). 0 when at least one byte
    // came, -1 when none did (the end, or an error).
    [[nodiscard]] int read(void* buffer, int n, int* got);
    // Reads a line at the position into buffer: up to a line feed, a NUL or
    // size - 1 bytes, with trailing CR and LF removed. The length of the
    // line, or -1 at the end of the file.
    int gets(char* buffer, int size);

    // The byte at pos through the cache, or -1 at or beyond the end (and
    // where the file cannot be read).
    int GetChar(int64_t pos);
    // Copies up to n bytes at pos through the cache; n becomes the count
    // copied. 0 when at least one byte was copied, -1 when none was.
    [[nodiscard]] int GetBlock(int64_t pos, void* buffer, int& n);
    // The cached bytes from pos to the end of the block that holds it,
    // without copying: n becomes their count (0 at the end or where the file
    // cannot be read). Valid until the next call that reads the file.
    const uint8_t* Peek(int64_t pos, int& n);

private:
    struct Block {
        int64_t offset = -1;
        int length = 0;
        std::unique_ptr<uint8_t[]> data;
        bool Holds(int64_t pos) const { return pos >= offset && pos < offset + length; }
    };

    Block& Load(int64_t pos);
    void ReadBlock(Block& block, int64_t offset, int64_t previous_front);
    void ReadAhead();
    void StopReadAhead();

    int fd_ = -1;
    int64_t size_ = 0;
    bool read_ahead_ = true;
    std::vector<Block> blocks_;  // most recently used first

    // Shared with the read-ahead thread, under lock_. The thread reads into
    // its own spare buffer and hands it over by swapping: it never writes
    // into a buffer the reader may be using.
    std::mutex lock_;
    std::condition_variable wake_;
    Block ahead_;                       // the block read ahead, when its length > 0
    int64_t target_ = -1;               // the block to read next, -1 for none
    uint64_t generation_ = 0;           // changes when the cache is dropped
    bool stopping_ = false;
    std::thread thread_;
};
