#include "web/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lensws {
namespace {

TEST(Base64Test, EncodesTheStandardVectors) {
    EXPECT_EQ(base64::encode(""), "");
    EXPECT_EQ(base64::encode("f"), "Zg==");
    EXPECT_EQ(base64::encode("fo"), "Zm8=");
    EXPECT_EQ(base64::encode("foo"), "Zm9v");
    EXPECT_EQ(base64::encode("foob"), "Zm9vYg==");
    EXPECT_EQ(base64::encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(base64::encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64::encode(std::string("\xFB\xFF\x00", 3)), "+/8A");
}

TEST(Base64Test, DecodesTheStandardVectors) {
    EXPECT_EQ(base64::decode("Zg=="), "f");
    EXPECT_EQ(base64::decode("Zm8="), "fo");
    EXPECT_EQ(base64::decode("Zm9vYmFy"), "foobar");
    EXPECT_EQ(base64::decode("+/8A"), std::string("\xFB\xFF\x00", 3));
}

TEST(Base64Test, DecodingSkipsCharactersOutsideTheAlphabet) {
    EXPECT_EQ(base64::decode("Zm9v\r"), "foo");
    EXPECT_EQ(base64::decode(" Z m 9 v Y g = = "), "foob");
    EXPECT_EQ(base64::decode("Zg"), "f");
    EXPECT_EQ(base64::decode("Zm8"), "fo");
    EXPECT_EQ(base64::decode("Z"), "");
    EXPECT_EQ(base64::decode("===\r\n"), "");
}

TEST(Base64Test, RoundTripsEveryByte) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    for (std::size_t length = 0; length <= all.size(); ++length) {
        std::string bytes = all.substr(0, length);
        ASSERT_EQ(base64::decode(base64::encode(bytes)), bytes) << length;
    }
}

TEST(Base64Test, BufferEncodingWritesExactlyTheEncodedLength) {
    const unsigned char bytes[] = {'f', 'o', 'o', 'b'};
    for (std::size_t n = 0; n <= sizeof bytes; ++n) {
        std::string out(base64::encodedLength(n) + 1, '#');
        base64::encode(bytes, n, out.data());
        EXPECT_EQ(out.back(), '#') << n;
        out.pop_back();
        EXPECT_EQ(out, base64::encode(std::string_view(reinterpret_cast<const char*>(bytes), n)));
    }
    EXPECT_EQ(base64::encodedLength(0), 0u);
    EXPECT_EQ(base64::encodedLength(1), 4u);
    EXPECT_EQ(base64::encodedLength(3), 4u);
    EXPECT_EQ(base64::encodedLength(4), 8u);
}

TEST(Base64Test, BufferDecodingNeverWritesPastItsCapacity) {
    const std::string text = "Zm9vYmFy";
    for (std::size_t capacity = 0; capacity <= 6; ++capacity) {
        std::vector<unsigned char> out(capacity);
        EXPECT_EQ(base64::decode(text.data(), text.size(), out.data(), capacity), capacity);
        EXPECT_EQ(std::string(out.begin(), out.end()), std::string("foobar").substr(0, capacity));
    }
    unsigned char big[base64::decodedCapacity(6)];
    EXPECT_EQ(base64::decode("Zm9vYg", 6, big, sizeof big), 4u);
}

}  // namespace
}  // namespace lensws
