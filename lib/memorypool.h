// MemoryPool: many small pieces of memory handed out from large blocks that
// are all released at once.
#pragma once

#include <cstddef>

#include "lib/objectstore.h"

// One block from the C allocator, handed out front to back.
class MemoryPoolBlock {
public:
    // Takes size bytes from the C allocator; valid() tells whether it got them.
    explicit MemoryPoolBlock(size_t size);
    ~MemoryPoolBlock();
    MemoryPoolBlock(const MemoryPoolBlock&) = delete;
    MemoryPoolBlock& operator=(const MemoryPoolBlock&) = delete;

    bool valid() const { return start_ != nullptr; }
    size_t size() const { return size_; }
    size_t used() const { return static_cast<size_t>(next_ - start_); }
    size_t available() const { return size_ - used(); }

    // The next free byte when n more bytes fit (next advances by n), else null.
    void* Alloc(size_t n);
    // The same after skipping to the next multiple of alignment (a power of
    // two); null when the padded piece does not fit or alignment is not one.
    void* AllocAligned(size_t n, size_t alignment);

private:
    char* start_;
    char* next_;
    size_t size_;
};

class MemoryPool : private TObjectStoreAbstract<MemoryPoolBlock> {
public:
    static constexpr size_t kBlockSize = 65536;

    MemoryPool();

    // n bytes, packed right after the previous piece: NOT aligned for any
    // type. From the current block when they fit, else from a new block of
    // max(n, 64 KB) that becomes current. Null when the C allocator fails or
    // n is above PTRDIFF_MAX.
    void* Alloc(size_t n);
    // n bytes starting at a multiple of alignment (a power of two), for
    // structures; padding is skipped. Null as for Alloc, or when alignment
    // is not a power of two.
    void* AllocAligned(size_t n, size_t alignment = alignof(std::max_align_t));
    // Releases every block and starts again with one new block.
    void Clear();

    int BlockCount() const { return count(); }
    const MemoryPoolBlock* CurrentBlock() const { return current_block_; }

private:
    MemoryPoolBlock* current_block_;

    // Adds a block of size bytes and makes it current; false when the C
    // allocator fails (the current block then stays).
    [[nodiscard]] bool AddBlock(size_t size);
};
