#include "web/WSMemPool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "web/MemoryFile.h"

namespace {

using lensws::WSMemPool;

// The statistics line `release` prints, captured through a temporary file.
std::string releaseAndCapture() {
    std::FILE* out = std::tmpfile();
    WSMemPool::release(out);
    std::rewind(out);
    std::string text;
    char chunk[256];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, out)) > 0) {
        text.append(chunk, n);
    }
    std::fclose(out);
    return text;
}

TEST(WSMemPool, AbsentBeforeCreationAndAfterRelease) {
    EXPECT_EQ(WSMemPool::access(), nullptr);
    WSMemPool::releaseBlock(nullptr);
    int stray = 0;
    WSMemPool::releaseBlock(&stray);  // ignored: there is no pool
    WSMemPool::create();
    EXPECT_NE(WSMemPool::access(), nullptr);
    releaseAndCapture();
    EXPECT_EQ(WSMemPool::access(), nullptr);
}

TEST(WSMemPool, ReleasePrintsUsedAndTotalBytesInTenColumns) {
    WSMemPool::create();
    auto* pool = WSMemPool::access();
    ASSERT_NE(pool, nullptr);
    void* block = pool->allocate(1000);
    WSMemPool::releaseBlock(block);
    EXPECT_EQ(pool->allocate(900), block);
    // One block: 4 bytes of padding after the header, 16 + 1000 bytes.
    EXPECT_EQ(releaseAndCapture(), "\nWSMemPool: Size:       1020, Capacity:    2457580 \n");
}

TEST(WSMemPool, CreateTwiceKeepsTheSamePool) {
    WSMemPool::create();
    auto* first = WSMemPool::access();
    WSMemPool::create();
    EXPECT_EQ(WSMemPool::access(), first);
    EXPECT_EQ(releaseAndCapture(), "\nWSMemPool: Size:          0, Capacity:    2457580 \n");
}

TEST(WSMemPool, GrowsBeyondTheStaticAreaInHeapChunks) {
    WSMemPool::create();
    auto* pool = WSMemPool::access();
    // Too large for the static area: a chunk of 2457616 + 32 bytes (2457628 usable), of which
    // the block takes 4 + 2457616.
    pool->allocate(2457600);
    // The current chunk is now the large one and has 8 bytes left: a 64 KiB + 32 chunk (65548
    // usable), of which the block takes 4 + 120. The static area stays unused.
    pool->allocate(100);
    EXPECT_EQ(releaseAndCapture(), "\nWSMemPool: Size:    2457744, Capacity:    4980756 \n");
}

TEST(WSMemPool, SecondReleaseIsQuiet) {
    WSMemPool::create();
    releaseAndCapture();
    EXPECT_EQ(releaseAndCapture(), "");
}

}  // namespace

namespace {

// Request threads and the camera's callback thread encode into memory files of the one pool.
TEST(WSMemPoolConcurrency, MemoryFilesOfManyThreadsShareThePool) {
    WSMemPool::create();
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 300; ++round) {
                vtl_base_type::MemoryFile file(WSMemPool::access());
                const std::size_t length =
                    1000 + static_cast<std::size_t>((round * 131 + t) % 20000);
                if (!file.open(length / 2)) {
                    ++failures[t];
                    continue;
                }
                std::vector<unsigned char> frame(length, static_cast<unsigned char>(t + 1));
                file.write(frame.data(), 1, frame.size());
                if (file.size() != static_cast<long>(length) ||
                    std::memcmp(file.buffer(), frame.data(), length) != 0) {
                    ++failures[t];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    }
    releaseAndCapture();
}

}  // namespace
