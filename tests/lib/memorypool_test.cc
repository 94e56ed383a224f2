#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lib/memorypool.h"

namespace {

bool Aligned(const void* p, size_t alignment) { return reinterpret_cast<uintptr_t>(p) % alignment == 0; }

TEST(MemoryPool, PiecesArePackedAndLargeOnesGetABlockOfTheirOwn) {
    MemoryPool pool;
    EXPECT_EQ(pool.BlockCount(), 1);  // starts with one empty 64 KB block
    EXPECT_NE(pool.Alloc(0), nullptr);  // zero bytes take nothing
    char* a = static_cast<char*>(pool.Alloc(3));
    EXPECT_EQ(pool.Alloc(8), a + 3);  // no alignment
    ASSERT_NE(pool.Alloc(65536 - 11), nullptr);  // fills the block exactly: stays in it
    EXPECT_EQ(pool.BlockCount(), 1);
    std::memset(pool.Alloc(70000), 0xAB, 70000);
    EXPECT_EQ(pool.BlockCount(), 2);
    EXPECT_EQ(pool.CurrentBlock()->size(), 70000u);
    pool.Clear();  // starts again with one block
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(pool.CurrentBlock()->used(), 0u);
}

TEST(MemoryPool, OversizedRequestsAndBadAlignmentsAreRefused) {
    MemoryPool pool;
    const size_t sizes[] = {SIZE_MAX, SIZE_MAX - 65536, static_cast<size_t>(PTRDIFF_MAX) + 1};
    for (size_t n : sizes) {
        EXPECT_EQ(pool.Alloc(n), nullptr) << n;
        EXPECT_EQ(pool.AllocAligned(n), nullptr) << n;
        EXPECT_EQ(pool.AllocAligned(n, 4096), nullptr) << n;
    }
    // Padding must not wrap round either.
    EXPECT_EQ(pool.AllocAligned(PTRDIFF_MAX - 8, 16), nullptr);
    for (size_t alignment : {0u, 12u}) EXPECT_EQ(pool.AllocAligned(8, alignment), nullptr) << alignment;
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_NE(pool.Alloc(10), nullptr);  // the pool still works
}

TEST(MemoryPool, AllocAlignedPads) {
    MemoryPool pool;
    pool.Alloc(1);
    EXPECT_TRUE(Aligned(pool.AllocAligned(24), alignof(std::max_align_t)));
    for (size_t alignment : {2u, 64u, 4096u}) {
        pool.Alloc(3);
        void* q = pool.AllocAligned(5, alignment);
        ASSERT_NE(q, nullptr);
        EXPECT_TRUE(Aligned(q, alignment)) << alignment;
    }
    // A large aligned piece gets room for its worst padding.
    void* big = pool.AllocAligned(200000, 4096);
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(Aligned(big, 4096));
    std::memset(big, 0, 200000);
}

TEST(MemoryPoolBlock, RefusesWhatPassesItsEnd) {
    MemoryPoolBlock block(64);  // aligned padding must fit too
    ASSERT_TRUE(block.valid());
    char* a = static_cast<char*>(block.Alloc(1));
    EXPECT_EQ(block.AllocAligned(56, 16), nullptr);  // 15 bytes padding + 56 > 63
    EXPECT_EQ(block.Alloc(63), a + 1);
    for (size_t n : {size_t{1}, SIZE_MAX}) EXPECT_EQ(block.Alloc(n), nullptr) << n;
    EXPECT_EQ(block.AllocAligned(SIZE_MAX, 16), nullptr);
    EXPECT_EQ(MemoryPoolBlock(SIZE_MAX).Alloc(1), nullptr);
}

}  // namespace
