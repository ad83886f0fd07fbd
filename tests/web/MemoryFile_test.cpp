#include "web/MemoryFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using vtl_base_type::MemoryFile;
using vtl_base_type::ServiceMemoryPool;

class MemoryFileTest : public ::testing::Test {
protected:
    ServiceMemoryPool pool;
};

TEST_F(MemoryFileTest, OpenReservesTheNextMultipleOf8192StrictlyAbove) {
    MemoryFile file(&pool);
    EXPECT_TRUE(file.open(10000));
    EXPECT_EQ(file.capacity(), 16384u);
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(file.tell(), 0);

    MemoryFile exact(&pool);
    EXPECT_TRUE(exact.open(8192));
    EXPECT_EQ(exact.capacity(), 16384u);

    MemoryFile one(&pool);
    EXPECT_TRUE(one.open(1));
    EXPECT_EQ(one.capacity(), 8192u);
}

TEST_F(MemoryFileTest, OpenTwiceFailsAndOpenZeroHasNoBuffer) {
    MemoryFile file(&pool);
    EXPECT_TRUE(file.open(100));
    EXPECT_FALSE(file.open(100));
    MemoryFile empty(&pool);
    EXPECT_FALSE(empty.open(0));
    EXPECT_EQ(empty.buffer(), nullptr);
}

TEST_F(MemoryFileTest, WritingGrowsInStepsAndKeepsTheContent) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(10000));
    std::vector<unsigned char> data(20000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>(i * 7);
    }
    EXPECT_EQ(file.write(data.data(), 1, 12000), 12000u);
    EXPECT_EQ(file.capacity(), 16384u);
    EXPECT_EQ(file.write(data.data() + 12000, 4, 2000), 2000u);
    EXPECT_EQ(file.capacity(), 24576u);
    EXPECT_EQ(file.size(), 20000);
    EXPECT_EQ(std::memcmp(file.buffer(), data.data(), data.size()), 0);
}

TEST_F(MemoryFileTest, ReadReturnsWholeItemsClippedToTheContent) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(64));
    ASSERT_EQ(file.write("abcdefghij", 1, 10), 10u);
    ASSERT_TRUE(file.seek(0, SEEK_SET));
    char out[16] = {};
    EXPECT_EQ(file.read(out, 4, 2), 2u);
    EXPECT_EQ(std::memcmp(out, "abcdefgh", 8), 0);
    // Two bytes left: copied, but not a whole 4-byte item.
    EXPECT_EQ(file.read(out, 4, 2), 0u);
    EXPECT_EQ(std::memcmp(out, "ij", 2), 0);
    EXPECT_EQ(file.tell(), 10);
    EXPECT_EQ(file.read(out, 1, 1), 0u);
    EXPECT_EQ(file.read(nullptr, 1, 1), 0u);
}

TEST_F(MemoryFileTest, SeekBeyondTheSizeThenReadMeetsTheEnd) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(64));
    ASSERT_EQ(file.write("0123456789", 1, 10), 10u);
    ASSERT_TRUE(file.seek(100, SEEK_SET));
    char out[4];
    EXPECT_EQ(file.read(out, 1, 4), 0u);
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.error(), 1);
    EXPECT_EQ(file.getByte(), -1);
}

TEST_F(MemoryFileTest, SeekOrigins) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(64));
    ASSERT_EQ(file.write("0123456789", 1, 10), 10u);
    EXPECT_TRUE(file.seek(-3, SEEK_END));
    EXPECT_EQ(file.getByte(), '7');
    EXPECT_TRUE(file.seek(-2, SEEK_CUR));
    EXPECT_EQ(file.getByte(), '6');
    EXPECT_TRUE(file.seek(-50, SEEK_SET));
    EXPECT_EQ(file.tell(), 0);
    EXPECT_FALSE(file.seek(0, 3));
    EXPECT_TRUE(file.seek(LONG_MAX, SEEK_SET));
    EXPECT_TRUE(file.seek(LONG_MAX, SEEK_CUR));
    EXPECT_EQ(file.tell(), LONG_MAX);
    EXPECT_EQ(file.error(), 1);
}

TEST_F(MemoryFileTest, WritingAfterAGapFillsItWithZeros) {
    MemoryFile file(&pool);
    // Leave recognisable bytes in a pool block that the file will reuse.
    void* dirty = pool.allocate(8192);
    std::memset(dirty, 0xEE, 8192);
    pool.release(dirty);
    ASSERT_TRUE(file.open(1));
    ASSERT_EQ(file.buffer(), dirty);
    ASSERT_EQ(file.write("ab", 1, 2), 2u);
    ASSERT_TRUE(file.seek(6, SEEK_SET));
    ASSERT_TRUE(file.putByte('z'));
    EXPECT_EQ(file.size(), 7);
    EXPECT_EQ(std::memcmp(file.buffer(), "ab\0\0\0\0z", 7), 0);
}

TEST_F(MemoryFileTest, PutAndGetBytes) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(1));
    for (int i = 0; i < 9000; ++i) {
        ASSERT_TRUE(file.putByte(static_cast<unsigned char>(i)));
    }
    EXPECT_EQ(file.capacity(), 16384u);
    EXPECT_EQ(file.size(), 9000);
    ASSERT_TRUE(file.seek(255, SEEK_SET));
    EXPECT_EQ(file.getByte(), 255);
    EXPECT_EQ(file.getByte(), 0);
    EXPECT_TRUE(file.flush());
    EXPECT_EQ(file.error(), 0);
}

TEST_F(MemoryFileTest, WriteRefusals) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(16));
    EXPECT_EQ(file.write(nullptr, 1, 4), 0u);
    EXPECT_EQ(file.write("x", 0, 4), 0u);
    EXPECT_EQ(file.write("x", 1, 0), 0u);
    EXPECT_EQ(file.write("x", SIZE_MAX, 2), 0u);
    EXPECT_EQ(file.size(), 0);
}

TEST_F(MemoryFileTest, WithoutBufferEveryOperationAnswersItsNoBufferValue) {
    MemoryFile file(&pool);
    char out[4];
    EXPECT_EQ(file.read(out, 1, 4), 0u);
    EXPECT_EQ(file.write("abcd", 1, 4), 0u);
    EXPECT_FALSE(file.seek(0, SEEK_SET));
    EXPECT_EQ(file.tell(), -1);
    EXPECT_EQ(file.size(), -1);
    EXPECT_FALSE(file.flush());
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.error(), -1);
    EXPECT_FALSE(file.putByte('a'));
    EXPECT_EQ(file.getByte(), -1);
    EXPECT_TRUE(file.close());
}

TEST_F(MemoryFileTest, CloseReturnsAnOwnedBufferToThePool) {
    void* buffer = nullptr;
    {
        MemoryFile file(&pool);
        ASSERT_TRUE(file.open(100));
        buffer = file.buffer();
    }
    EXPECT_EQ(pool.freeBlockCount(), 1u);
    EXPECT_EQ(pool.allocate(8192), buffer);
}

TEST_F(MemoryFileTest, GivenAwayBufferStaysWithTheCaller) {
    unsigned char* taken = nullptr;
    {
        MemoryFile file(&pool);
        ASSERT_TRUE(file.open(100));
        ASSERT_EQ(file.write("hello", 1, 5), 5u);
        taken = file.buffer(true);
        EXPECT_TRUE(file.close());
        EXPECT_EQ(file.buffer(), nullptr);
    }
    EXPECT_EQ(pool.freeBlockCount(), 0u);
    EXPECT_EQ(std::memcmp(taken, "hello", 5), 0);
    pool.release(taken);
}

TEST_F(MemoryFileTest, WritesThroughTheFileInterface) {
    MemoryFile file(&pool);
    ASSERT_TRUE(file.open(8));
    vtl_base_type::CxFile& cx = file;
    EXPECT_EQ(cx.write("xy", 1, 2), 2u);
    EXPECT_TRUE(cx.putByte('z'));
    EXPECT_EQ(cx.size(), 3);
    EXPECT_EQ(std::memcmp(file.buffer(), "xyz", 3), 0);
}

}  // namespace
