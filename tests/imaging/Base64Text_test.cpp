#include "imaging/Base64Text.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <string>
#include <vector>

namespace {

using lensws::Base64Text;
using lensws::ResultStatus;
using vtl_base_type::ServiceMemoryPool;

TEST(Base64TextTest, EncodesIntoABlockOfExactlyTheTextAndItsNul) {
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {{"abc", "YWJj"}, {"\x01", "AQ=="}, {"", ""}, {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        ServiceMemoryPool pool;
        const Base64Text encoded = lensws::toBase64(c.bytes.data(), c.bytes.size(), &pool);
        ASSERT_EQ(encoded.status(), ResultStatus::success);
        EXPECT_STREQ(encoded.text(), c.text);
        EXPECT_EQ(encoded.length(), std::string(c.text).size());
        EXPECT_EQ(ServiceMemoryPool::blockCapacity(encoded.text()),
                  (c.bytes.size() + 2) / 3 * 4 + 1);
    }
}

TEST(Base64TextTest, TheBlockGoesBackToThePoolUnlessHandedOver) {
    ServiceMemoryPool pool;
    { const Base64Text kept = lensws::toBase64("abc", 3, &pool); }
    EXPECT_EQ(pool.freeBlockCount(), 1u);
    char* taken = lensws::toBase64("abc", 3, &pool).release();  // reuses the free block
    EXPECT_EQ(pool.freeBlockCount(), 0u);
    EXPECT_STREQ(taken, "YWJj");
    pool.release(taken);
}

TEST(Base64TextTest, APoolThatCannotSupplyTheTextGivesMemoryAllocationFailed) {
    // 3.3 GB of readable zero pages (never touched): their text exceeds the largest block the
    // pool hands out.
    const std::size_t n = std::size_t{3300} << 20;
    void* data = mmap(nullptr, n, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(data, MAP_FAILED);
    ServiceMemoryPool pool;
    const Base64Text huge = lensws::toBase64(data, n, &pool);
    munmap(data, n);
    EXPECT_EQ(huge.status(), ResultStatus::memoryAllocationFailed);
    EXPECT_EQ(huge.text(), nullptr);
    EXPECT_EQ(lensws::toBase64("abc", 3, nullptr).status(), ResultStatus::memoryAllocationFailed);
}

TEST(Base64TextTest, DecodesWithinNOver4Times3PlusOneBytes) {
    const struct {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"YWJj", "abc"}, {" Y W\r\nJ j==", "abc"}, {"AQ==", "\x01"},
        {"", ""},        {"Zm9vYg", "foo"},  // the unpadded tail does not fit within 6 / 4 * 3 + 1
                                             // bytes
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> buffer(c.text.size() / 4 * 3 + 1, 0xEE);
        const std::size_t n = lensws::decodeBase64(c.text.data(), c.text.size(), buffer.data());
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + n), c.bytes) << c.text;
        EXPECT_EQ(buffer[n], 0) << c.text;
    }
}

TEST(Base64TextTest, RoundTripsEveryLength) {
    ServiceMemoryPool pool;
    std::vector<unsigned char> bytes;
    for (int length = 0; length <= 300; ++length) {
        const Base64Text text = lensws::toBase64(bytes.data(), bytes.size(), &pool);
        ASSERT_EQ(text.status(), ResultStatus::success);
        std::vector<unsigned char> decoded(text.length() / 4 * 3 + 1);
        const std::size_t n = lensws::decodeBase64(text.text(), text.length(), decoded.data());
        ASSERT_EQ(std::vector<unsigned char>(decoded.begin(), decoded.begin() + n), bytes);
        bytes.push_back(static_cast<unsigned char>(length * 89));
    }
}

}  // namespace
