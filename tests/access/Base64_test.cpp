#include "access/Base64.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lensws
