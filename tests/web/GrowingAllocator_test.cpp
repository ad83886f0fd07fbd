#include "web/GrowingAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "web/InlineAllocator.h"

namespace {

using vtl_base_type::ByteAllocator;
using vtl_base_type::CppMemory;
using vtl_base_type::GrowingAllocator;

constexpr std::size_t kHeader = ByteAllocator::kHeaderSize;

bool aligned8(const void* p) {
    return (reinterpret_cast<std::uintptr_t>(p) & 7) == 0;
}

// A base allocator that records what it hands out and can be told to fail.
class RecordingMemory {
public:
    void* allocate(std::size_t n) {
        if (fail) {
            return nullptr;
        }
        requests.push_back(n);
        ++live;
        return new unsigned char[n];
    }
    void release(void* p) {
        if (p != nullptr) {
            --live;
            delete[] static_cast<unsigned char*>(p);
        }
    }
    std::vector<std::size_t> requests;
    int live = 0;
    bool fail = false;
};

using RecordingAllocator = GrowingAllocator<RecordingMemory, 8>;

TEST(GrowingAllocator, CallerBufferIsTheFirstChunk) {
    alignas(8) unsigned char buffer[512];
    ByteAllocator allocator(buffer, sizeof buffer, 0x10000);
    EXPECT_EQ(allocator.capacity(), 512 - kHeader);
    EXPECT_EQ(allocator.size(), 0u);
    void* p = allocator.allocate(1);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(static_cast<unsigned char*>(p), buffer);
    EXPECT_LT(static_cast<unsigned char*>(p), buffer + sizeof buffer);
    EXPECT_TRUE(aligned8(p));
}

TEST(GrowingAllocator, OneByteTakesEightBytesPlusPadding) {
    // An 8-aligned buffer puts the data at +20, 4 bytes short of the next 8-byte boundary.
    alignas(8) unsigned char buffer[256];
    ByteAllocator allocator(buffer, sizeof buffer, 1024);
    allocator.allocate(1);
    EXPECT_EQ(allocator.size(), 4u + 8u);
    allocator.allocate(1);
    EXPECT_EQ(allocator.size(), 4u + 16u);
    allocator.allocate(9);
    EXPECT_EQ(allocator.size(), 4u + 32u);
}

TEST(GrowingAllocator, UnalignedCallerBufferLosesItsPadding) {
    alignas(8) unsigned char buffer[300];
    ByteAllocator allocator(buffer + 1, 299, 1024);
    // 3 bytes to the 4-byte boundary, then the header.
    EXPECT_EQ(allocator.capacity(), 299 - 3 - kHeader);
    void* p = allocator.allocate(3);
    EXPECT_TRUE(aligned8(p));
}

TEST(GrowingAllocator, ZeroBytesGiveNull) {
    ByteAllocator allocator(1024);
    EXPECT_EQ(allocator.allocate(0), nullptr);
    EXPECT_EQ(allocator.capacity(), 0u);
}

TEST(GrowingAllocator, NoChunkUntilTheFirstAllocation) {
    RecordingMemory memory;
    RecordingAllocator allocator(1024, &memory);
    EXPECT_TRUE(memory.requests.empty());
    allocator.allocate(10);
    ASSERT_EQ(memory.requests.size(), 1u);
    EXPECT_EQ(memory.requests[0], 1024u + 32u);
}

TEST(GrowingAllocator, NewChunkIsTheLargerOfRequestAndGrowthPlus32) {
    RecordingMemory memory;
    {
        alignas(8) unsigned char buffer[64];
        RecordingAllocator allocator(buffer, sizeof buffer, 1024, &memory);
        allocator.allocate(40);  // fits the 44 usable bytes? 4 padding + 40 = 44: exactly
        EXPECT_TRUE(memory.requests.empty());
        allocator.allocate(1);     // no room left: a growth-step chunk
        allocator.allocate(5000);  // larger than the step: its own rounded size
        ASSERT_EQ(memory.requests.size(), 2u);
        EXPECT_EQ(memory.requests[0], 1024u + 32u);
        EXPECT_EQ(memory.requests[1], 5000u + 32u);
        EXPECT_EQ(allocator.capacity(),
                  (64 - kHeader) + (1024 + 32 - kHeader) + (5000 + 32 - kHeader));
        EXPECT_EQ(memory.live, 2);
    }
    EXPECT_EQ(memory.live, 0);
}

TEST(GrowingAllocator, SpaceLeftInOlderChunksIsNotReused) {
    RecordingMemory memory;
    RecordingAllocator allocator(256, &memory);
    allocator.allocate(200);
    allocator.allocate(100);  // opens a second chunk
    allocator.allocate(8);    // would fit the first chunk's rest, goes to the second
    EXPECT_EQ(memory.requests.size(), 2u);
    EXPECT_EQ(allocator.size(), (4 + 200) + (4 + 104 + 8));
}

TEST(GrowingAllocator, EveryBlockIsAlignedAndDistinct) {
    ByteAllocator allocator(64);
    std::vector<unsigned char*> blocks;
    for (std::size_t n = 1; n < 200; n += 7) {
        auto* p = static_cast<unsigned char*>(allocator.allocate(n));
        ASSERT_TRUE(aligned8(p));
        std::memset(p, static_cast<int>(n), n);
        blocks.push_back(p);
    }
    std::size_t n = 1;
    for (unsigned char* p : blocks) {
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(p[i], static_cast<unsigned char>(n));
        }
        n += 7;
    }
}

TEST(GrowingAllocator, ReallocateGrowsTheLastBlockInPlace) {
    alignas(8) unsigned char buffer[512];
    ByteAllocator allocator(buffer, sizeof buffer, 1024);
    void* p = allocator.allocate(16);
    const std::size_t used = allocator.size();
    EXPECT_EQ(allocator.reallocate(p, 16, 40), p);
    EXPECT_EQ(allocator.size(), used + 24);
    // Not the last block any more: a fresh block with the old bytes.
    std::memset(p, 0x5a, 40);
    allocator.allocate(8);
    void* q = allocator.reallocate(p, 40, 64);
    EXPECT_NE(q, p);
    EXPECT_EQ(static_cast<unsigned char*>(q)[39], 0x5a);
}

TEST(GrowingAllocator, ReallocateEdgeCases) {
    ByteAllocator allocator(1024);
    void* fresh = allocator.reallocate(nullptr, 0, 24);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(allocator.reallocate(fresh, 24, 0), nullptr);
    EXPECT_EQ(allocator.reallocate(fresh, 24, 10), fresh);
    EXPECT_EQ(allocator.reallocate(fresh, 24, 24), fresh);
}

TEST(GrowingAllocator, ReallocateWithoutRoomMovesToANewChunk) {
    alignas(8) unsigned char buffer[64];
    ByteAllocator allocator(buffer, sizeof buffer, 1024);
    auto* p = static_cast<unsigned char*>(allocator.allocate(32));
    std::memset(p, 7, 32);
    auto* q = static_cast<unsigned char*>(allocator.reallocate(p, 32, 100));
    EXPECT_NE(p, q);
    EXPECT_EQ(q[0], 7);
    EXPECT_EQ(q[31], 7);
}

TEST(GrowingAllocator, ClearKeepsOnlyTheCallerBuffer) {
    RecordingMemory memory;
    alignas(8) unsigned char buffer[128];
    RecordingAllocator allocator(buffer, sizeof buffer, 256, &memory);
    void* first = allocator.allocate(8);
    allocator.allocate(500);
    allocator.allocate(300);
    EXPECT_EQ(memory.live, 2);
    allocator.clear();
    EXPECT_EQ(memory.live, 0);
    EXPECT_EQ(allocator.size(), 0u);
    EXPECT_EQ(allocator.capacity(), 128 - kHeader);
    EXPECT_EQ(allocator.allocate(8), first);
}

TEST(GrowingAllocator, ClearWithoutCallerBufferForgetsEverything) {
    ByteAllocator allocator(256);
    allocator.allocate(100);
    allocator.clear();
    EXPECT_EQ(allocator.capacity(), 0u);
    EXPECT_NE(allocator.allocate(8), nullptr);
}

TEST(GrowingAllocator, BaseAllocatorFailureThrowsBadAlloc) {
    RecordingMemory memory;
    memory.fail = true;
    RecordingAllocator allocator(256, &memory);
    EXPECT_THROW(allocator.allocate(1), std::bad_alloc);
}

TEST(GrowingAllocator, AbsurdSizesThrowBadAllocInsteadOfWrapping) {
    ByteAllocator allocator(256);
    EXPECT_THROW(allocator.allocate(SIZE_MAX), std::bad_alloc);
    EXPECT_THROW(allocator.allocate(SIZE_MAX - 3), std::bad_alloc);
    EXPECT_THROW(allocator.allocate(std::size_t{1} << 40), std::bad_alloc);
}

TEST(GrowingAllocator, TooSmallCallerBufferIsNotUsed) {
    alignas(8) unsigned char buffer[16];
    ByteAllocator allocator(buffer, sizeof buffer, 256);
    EXPECT_EQ(allocator.capacity(), 0u);
    auto* p = static_cast<unsigned char*>(allocator.allocate(8));
    EXPECT_TRUE(p < buffer || p >= buffer + sizeof buffer);
}

TEST(InlineAllocator, FirstChunkLivesInsideTheObject) {
    vtl_base_type::InlineAllocator<512> allocator;
    EXPECT_EQ(allocator.capacity(), 512 - kHeader);
    auto* p = static_cast<unsigned char*>(allocator.allocate(100));
    auto* self = reinterpret_cast<unsigned char*>(&allocator);
    EXPECT_GE(p, self);
    EXPECT_LT(p, self + sizeof allocator);
    EXPECT_EQ(allocator.growthStep(), 0x10000u);
}

}  // namespace
