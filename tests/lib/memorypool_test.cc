#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "lib/memorypool.h"

namespace {

bool Aligned(const void* p, size_t alignment) { return reinterpret_cast<uintptr_t>(p) % alignment == 0; }

TEST(MemoryPool, PiecesArePackedIntoTheCurrentBlock) {
    MemoryPool pool;
    EXPECT_EQ(pool.BlockCount(), 1);  // starts with one empty 64 KB block
    EXPECT_NE(pool.Alloc(0), nullptr);  // zero bytes take nothing
    char* a = static_cast<char*>(pool.Alloc(3));
    char* b = static_cast<char*>(pool.Alloc(8));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(b, a + 3);  // no alignment
    // A request that fills the block exactly stays in it.
    ASSERT_NE(pool.Alloc(65536 - 11), nullptr);
    EXPECT_EQ(pool.BlockCount(), 1);
    ASSERT_NE(pool.Alloc(1), nullptr);
    EXPECT_EQ(pool.BlockCount(), 2);
}

TEST(MemoryPool, LargeRequestGetsABlockOfItsOwnSize) {
    MemoryPool pool;
    void* big = pool.Alloc(70000);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(pool.BlockCount(), 2);
    EXPECT_EQ(pool.CurrentBlock()->size(), 70000u);
    std::memset(big, 0xAB, 70000);
    // Clear starts again with one block.
    pool.Clear();
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(pool.CurrentBlock()->used(), 0u);
}

TEST(MemoryPool, ManyPiecesDoNotOverlap) {
    MemoryPool pool;
    std::vector<std::pair<unsigned char*, size_t>> pieces;
    for (size_t i = 0; i < 2000; i++) {
        size_t n = 1 + (i * 7919) % 200;
        auto* p = static_cast<unsigned char*>(pool.Alloc(n));
        ASSERT_NE(p, nullptr);
        std::memset(p, static_cast<int>(i & 0xFF), n);
        pieces.emplace_back(p, n);
    }
    EXPECT_GT(pool.BlockCount(), 1);
    for (size_t i = 0; i < pieces.size(); i++)
        for (size_t k = 0; k < pieces[i].second; k++)
            ASSERT_EQ(pieces[i].first[k], static_cast<unsigned char>(i & 0xFF)) << i;
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

TEST(MemoryPoolBlock, HandsOutUpToItsEnd) {
    MemoryPoolBlock block(100);
    ASSERT_TRUE(block.valid());
    char* a = static_cast<char*>(block.Alloc(60));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(block.Alloc(41), nullptr);  // would pass the end
    EXPECT_EQ(block.Alloc(40), a + 60);
    EXPECT_EQ(block.Alloc(SIZE_MAX), nullptr);

    MemoryPoolBlock small(64);  // aligned padding must fit too
    ASSERT_TRUE(small.valid());
    small.Alloc(1);
    EXPECT_EQ(small.AllocAligned(56, 16), nullptr);  // 15 bytes padding + 56 > 63
    EXPECT_EQ(small.used(), 1u);
    EXPECT_EQ(small.AllocAligned(SIZE_MAX, 16), nullptr);

    MemoryPoolBlock impossible(SIZE_MAX);
    EXPECT_FALSE(impossible.valid());
    EXPECT_EQ(impossible.Alloc(1), nullptr);
}

}  // namespace
