#include "web/MemoryPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

using vtl_base_type::ByteAllocator;
using vtl_base_type::ServiceMemoryPool;

TEST(MemoryPool, ReleasedBlockIsReusedForASmallerRequest) {
    ServiceMemoryPool pool;
    void* block = pool.allocate(100);
    pool.release(block);
    EXPECT_EQ(pool.allocate(80), block);
    EXPECT_EQ(ServiceMemoryPool::blockCapacity(block), 100u);
}

TEST(MemoryPool, LargerRequestCarvesANewBlock) {
    ServiceMemoryPool pool;
    void* block = pool.allocate(100);
    pool.release(block);
    void* larger = pool.allocate(120);
    EXPECT_NE(larger, block);
    EXPECT_EQ(pool.freeBlockCount(), 1u);
}

TEST(MemoryPool, NewBlockTakesRequestPlusSixteenBytesFromTheAllocator) {
    alignas(8) unsigned char area[4096];
    ByteAllocator allocator(area, sizeof area, 0x10000);
    ServiceMemoryPool pool(&allocator);
    const std::size_t before = allocator.size();
    pool.allocate(100);
    // 4 bytes of alignment padding at the chunk's start, 16 + 100 rounded to 120.
    EXPECT_EQ(allocator.size() - before, 4u + 120u);
    pool.allocate(8);
    EXPECT_EQ(allocator.size() - before, 4u + 120u + 24u);
}

TEST(MemoryPool, BestFitTakesTheSmallestBlockThatIsLargeEnough) {
    ServiceMemoryPool pool;
    void* big = pool.allocate(300);
    void* small = pool.allocate(50);
    void* middle = pool.allocate(150);
    pool.release(big);
    pool.release(small);
    pool.release(middle);
    EXPECT_EQ(pool.allocate(60), middle);
    EXPECT_EQ(pool.allocate(10), small);
    EXPECT_EQ(pool.allocate(200), big);
    EXPECT_EQ(pool.freeBlockCount(), 0u);
}

TEST(MemoryPool, EqualCapacitiesComeBackMostRecentlyReleasedFirst) {
    ServiceMemoryPool pool;
    void* a = pool.allocate(64);
    void* b = pool.allocate(64);
    pool.release(a);
    pool.release(b);  // inserted before the first block of equal capacity
    EXPECT_EQ(pool.allocate(64), b);
    EXPECT_EQ(pool.allocate(64), a);
}

TEST(MemoryPool, ReleaseOfNullIsIgnored) {
    ServiceMemoryPool pool;
    pool.release(nullptr);
    EXPECT_EQ(pool.freeBlockCount(), 0u);
}

TEST(MemoryPool, ReallocateToASmallerLengthKeepsThePointer) {
    ServiceMemoryPool pool;
    void* block = pool.allocate(100);
    EXPECT_EQ(pool.reallocate(block, 100, 40), block);
    // The block's capacity still covers a length up to its first request.
    EXPECT_EQ(pool.reallocate(block, 40, 100), block);
}

TEST(MemoryPool, ReallocateMovesTheBytesAndRecyclesTheOldBlock) {
    ServiceMemoryPool pool;
    auto* block = static_cast<unsigned char*>(pool.allocate(16));
    std::memcpy(block, "0123456789abcdef", 16);
    auto* grown = static_cast<unsigned char*>(pool.reallocate(block, 16, 64));
    ASSERT_NE(grown, block);
    EXPECT_EQ(std::memcmp(grown, "0123456789abcdef", 16), 0);
    EXPECT_EQ(pool.freeBlockCount(), 1u);
    EXPECT_EQ(pool.allocate(16), block);
}

TEST(MemoryPool, ReallocateEdgeCases) {
    ServiceMemoryPool pool;
    void* fresh = pool.reallocate(nullptr, 0, 32);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(pool.reallocate(fresh, 32, 0), nullptr);
    EXPECT_EQ(pool.freeBlockCount(), 1u);
}

TEST(MemoryPool, ExhaustedAllocatorThrowsBadAlloc) {
    ServiceMemoryPool pool;
    EXPECT_THROW(pool.allocate(std::size_t{1} << 33), std::bad_alloc);
}

TEST(MemoryPoolConcurrency, ThreadsAllocateAndReleaseWithoutSharingBlocks) {
    ServiceMemoryPool pool;
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&pool, &failures, t] {
            for (int round = 0; round < kRounds; ++round) {
                const std::size_t length = 16 + static_cast<std::size_t>((round * 37 + t) % 300);
                auto* block = static_cast<unsigned char*>(pool.allocate(length));
                std::memset(block, t + 1, length);
                block = static_cast<unsigned char*>(pool.reallocate(block, length, length * 2));
                for (std::size_t i = 0; i < length; ++i) {
                    if (block[i] != t + 1) {
                        ++failures[t];
                        break;
                    }
                }
                pool.release(block);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    }
}

}  // namespace
