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
    ASSERT_NE(pool.CurrentBlock(), nullptr);
    EXPECT_EQ(pool.CurrentBlock()->size(), 65536u);
    EXPECT_EQ(pool.CurrentBlock()->used(), 0u);
    EXPECT_NE(pool.Alloc(0), nullptr);  // zero bytes take nothing
    EXPECT_EQ(pool.CurrentBlock()->used(), 0u);
    char* a = static_cast<char*>(pool.Alloc(3));
    char* b = static_cast<char*>(pool.Alloc(8));
    char* c = static_cast<char*>(pool.Alloc(1));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(b, a + 3);  // no alignment
    EXPECT_EQ(c, b + 8);
    EXPECT_EQ(pool.CurrentBlock()->used(), 12u);
    // A request that fills the block exactly stays in it.
    ASSERT_NE(pool.Alloc(65000 - 12), nullptr);
    ASSERT_NE(pool.Alloc(536), nullptr);
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(pool.CurrentBlock()->available(), 0u);
    ASSERT_NE(pool.Alloc(1), nullptr);
    EXPECT_EQ(pool.BlockCount(), 2);
    MemoryPool whole;
    ASSERT_NE(whole.Alloc(65536), nullptr);
    EXPECT_EQ(whole.BlockCount(), 1);
}

TEST(MemoryPool, LargeRequestGetsABlockOfItsOwnSize) {
    MemoryPool pool;
    void* big = pool.Alloc(70000);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(pool.BlockCount(), 2);
    EXPECT_EQ(pool.CurrentBlock()->size(), 70000u);
    EXPECT_EQ(pool.CurrentBlock()->available(), 0u);
    std::memset(big, 0xAB, 70000);
    // The next small request cannot fit and takes a further 64 KB block.
    ASSERT_NE(pool.Alloc(16), nullptr);
    EXPECT_EQ(pool.BlockCount(), 3);
    EXPECT_EQ(pool.CurrentBlock()->size(), 65536u);
    EXPECT_EQ(pool.CurrentBlock()->used(), 16u);
    // Clear starts again with one block.
    for (int i = 0; i < 10; i++) pool.Alloc(40000);
    pool.Clear();
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_EQ(pool.CurrentBlock()->size(), 65536u);
    EXPECT_EQ(pool.CurrentBlock()->used(), 0u);
    EXPECT_NE(pool.Alloc(100), nullptr);
}

TEST(MemoryPool, ManyPiecesDoNotOverlap) {
    MemoryPool pool;
    std::vector<std::pair<unsigned char*, size_t>> pieces;
    for (size_t i = 0; i < 20000; i++) {
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
    const size_t sizes[] = {SIZE_MAX, SIZE_MAX - 1, SIZE_MAX - 65536, static_cast<size_t>(PTRDIFF_MAX) + 1};
    for (size_t n : sizes) {
        EXPECT_EQ(pool.Alloc(n), nullptr) << n;
        EXPECT_EQ(pool.AllocAligned(n), nullptr) << n;
        EXPECT_EQ(pool.AllocAligned(n, 4096), nullptr) << n;
    }
    // Padding must not wrap round either.
    EXPECT_EQ(pool.AllocAligned(PTRDIFF_MAX, 16), nullptr);
    EXPECT_EQ(pool.AllocAligned(PTRDIFF_MAX - 8, 16), nullptr);
    for (size_t alignment : {0u, 3u, 12u, 100u}) EXPECT_EQ(pool.AllocAligned(8, alignment), nullptr) << alignment;
    EXPECT_EQ(pool.BlockCount(), 1);
    EXPECT_NE(pool.Alloc(10), nullptr);  // the pool still works
}

TEST(MemoryPool, AllocAlignedPads) {
    MemoryPool pool;
    char* odd = static_cast<char*>(pool.Alloc(1));
    void* p = pool.AllocAligned(24);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(Aligned(p, alignof(std::max_align_t)));
    EXPECT_GT(static_cast<char*>(p), odd);
    EXPECT_LT(static_cast<char*>(p), odd + 1 + alignof(std::max_align_t));
    for (size_t alignment : {1u, 2u, 4u, 8u, 16u, 64u, 4096u}) {
        pool.Alloc(3);
        void* q = pool.AllocAligned(5, alignment);
        ASSERT_NE(q, nullptr);
        EXPECT_TRUE(Aligned(q, alignment)) << alignment;
    }
    // In a new block.
    MemoryPool full;
    full.Alloc(65535);
    void* next = full.AllocAligned(100, 64);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(Aligned(next, 64));
    EXPECT_EQ(full.BlockCount(), 2);
    // A large aligned piece gets room for its worst padding.
    void* big = full.AllocAligned(200000, 4096);
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(Aligned(big, 4096));
    std::memset(big, 0, 200000);
}

// Structures stored in the pool must be properly aligned (the sanitizers
// check each access).
TEST(MemoryPool, HoldsStructures) {
    struct Record {
        double weight;
        int64_t size;
        char name[5];
    };
    MemoryPool pool;
    std::vector<Record*> records;
    for (int i = 0; i < 10000; i++) {
        pool.Alloc(static_cast<size_t>(i % 3));  // upset the alignment
        void* raw = pool.AllocAligned(sizeof(Record), alignof(Record));
        ASSERT_NE(raw, nullptr);
        records.push_back(new (raw) Record{i * 0.5, i * 1000LL, "abcd"});
    }
    for (int i = 0; i < 10000; i++) {
        EXPECT_EQ(records[i]->weight, i * 0.5);
        EXPECT_EQ(records[i]->size, i * 1000LL);
    }
}

TEST(MemoryPoolBlock, HandsOutUpToItsEnd) {
    MemoryPoolBlock block(100);
    ASSERT_TRUE(block.valid());
    char* a = static_cast<char*>(block.Alloc(60));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(block.Alloc(41), nullptr);  // would pass the end
    EXPECT_EQ(block.used(), 60u);
    EXPECT_EQ(block.Alloc(40), a + 60);
    EXPECT_EQ(block.Alloc(1), nullptr);
    EXPECT_NE(block.Alloc(0), nullptr);
    EXPECT_EQ(block.Alloc(SIZE_MAX), nullptr);
    EXPECT_EQ(block.AllocAligned(0, 1), a + 100);
    EXPECT_EQ(block.AllocAligned(1, 1), nullptr);

    MemoryPoolBlock small(64);  // aligned padding must fit too
    ASSERT_TRUE(small.valid());
    small.Alloc(1);
    EXPECT_EQ(small.AllocAligned(56, 16), nullptr);  // 15 bytes padding + 56 > 63
    EXPECT_EQ(small.used(), 1u);
    EXPECT_NE(small.AllocAligned(48, 16), nullptr);
    EXPECT_EQ(small.AllocAligned(SIZE_MAX, 16), nullptr);

    MemoryPoolBlock impossible(SIZE_MAX);
    EXPECT_FALSE(impossible.valid());
    EXPECT_EQ(impossible.size(), 0u);
    EXPECT_EQ(impossible.Alloc(1), nullptr);
    EXPECT_EQ(impossible.AllocAligned(1, 8), nullptr);
}

}  // namespace
