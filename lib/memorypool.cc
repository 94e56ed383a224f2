#include "lib/memorypool.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Pieces beyond this cannot be addressed by pointer differences.
constexpr size_t kMaxPiece = PTRDIFF_MAX;

bool is_power_of_two(size_t n) { return n != 0 && (n & (n - 1)) == 0; }

}  // namespace

MemoryPoolBlock::MemoryPoolBlock(size_t size)
    : start_(size <= kMaxPiece ? static_cast<char*>(std::malloc(size == 0 ? 1 : size)) : nullptr),
      next_(start_),
      size_(start_ ? size : 0) {}

MemoryPoolBlock::~MemoryPoolBlock() { std::free(start_); }

void* MemoryPoolBlock::Alloc(size_t n) {
    if (!start_ || n > available()) return nullptr;
    char* piece = next_;
    next_ += n;
    return piece;
}

void* MemoryPoolBlock::AllocAligned(size_t n, size_t alignment) {
    if (!start_ || !is_power_of_two(alignment)) return nullptr;
    size_t padding = (alignment - reinterpret_cast<uintptr_t>(next_) % alignment) % alignment;
    if (padding > available() || n > available() - padding) return nullptr;
    next_ += padding;
    char* piece = next_;
    next_ += n;
    return piece;
}

// Without a first block the pool still works: the first Alloc asks again.
MemoryPool::MemoryPool() : current_block_(nullptr) { (void)AddBlock(kBlockSize); }

bool MemoryPool::AddBlock(size_t size) {
    MemoryPoolBlock* block = new MemoryPoolBlock(size);
    if (!block->valid() || AddObject(block) != 0) {
        delete block;
        return false;
    }
    current_block_ = block;
    return true;
}

void* MemoryPool::Alloc(size_t n) {
    if (n > kMaxPiece) return nullptr;
    if (current_block_) {
        if (void* piece = current_block_->Alloc(n)) return piece;
    }
    if (!AddBlock(n > kBlockSize ? n : kBlockSize)) return nullptr;
    return current_block_->Alloc(n);
}

void* MemoryPool::AllocAligned(size_t n, size_t alignment) {
    if (n > kMaxPiece || !is_power_of_two(alignment) || alignment > kMaxPiece - n) return nullptr;
    if (current_block_) {
        if (void* piece = current_block_->AllocAligned(n, alignment)) return piece;
    }
    // Room for the worst padding, whatever the C allocator's own alignment.
    size_t worst = n + alignment - 1;
    if (!AddBlock(worst > kBlockSize ? worst : kBlockSize)) return nullptr;
    return current_block_->AllocAligned(n, alignment);
}

void MemoryPool::Clear() {
    DestroyAll();
    current_block_ = nullptr;
    (void)AddBlock(kBlockSize);  // failing here only defers the block to the next Alloc
}
