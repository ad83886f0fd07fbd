#include "capture/WellFormedUuid.h"

#include <gtest/gtest.h>

#include <string>

namespace lensws {
namespace {

TEST(WellFormedUuidTest, AcceptsHexadecimalDigitsOfEitherCase) {
    EXPECT_TRUE(isWellFormedUuid("0123abcd-ef01-4567-89ab-cdef01234567"));
    EXPECT_TRUE(isWellFormedUuid("0123ABCD-EF01-4567-89AB-CDEF01234567"));
    EXPECT_TRUE(isWellFormedUuid("0123ABCD-ef01-4567-89aB-CDEF01234567"));
}

TEST(WellFormedUuidTest, RefusesWrongLengthHyphensOrCharacters) {
    EXPECT_FALSE(isWellFormedUuid(nullptr));
    EXPECT_FALSE(isWellFormedUuid(""));
    EXPECT_FALSE(isWellFormedUuid("0123abcd-ef01-4567-89ab-cdef0123456"));
    EXPECT_FALSE(isWellFormedUuid("0123abcd-ef01-4567-89ab-cdef012345678"));
    EXPECT_FALSE(isWellFormedUuid("0123abcdef01-4567-89ab-cdef012345678"));
    EXPECT_FALSE(isWellFormedUuid("0123abcd-ef01-4567-89ab_cdef01234567"));
    EXPECT_FALSE(isWellFormedUuid("0123abcg-ef01-4567-89ab-cdef01234567"));
    EXPECT_FALSE(isWellFormedUuid("-123abcd-ef01-4567-89ab-cdef01234567"));
    EXPECT_FALSE(isWellFormedUuid("0123abcd-ef01-4567-89ab-cdef0123456 "));
    EXPECT_FALSE(isWellFormedUuid("0123abcd-ef01-4567-89ab-cdef0123%41A"));
}

TEST(WellFormedUuidTest, LengthGivenIsTheLengthChecked) {
    std::string text = "0123abcd-ef01-4567-89ab-cdef01234567&x=1";
    EXPECT_TRUE(isWellFormedUuid(text.data(), 36));
    EXPECT_FALSE(isWellFormedUuid(text.data(), text.size()));
    EXPECT_FALSE(isWellFormedUuid(text.data(), 35));
    std::string withZero("0123abcd-ef01-4567-89ab-cdef0123456\0", 36);
    EXPECT_FALSE(isWellFormedUuid(withZero.data(), withZero.size()));
}

}  // namespace
}  // namespace lensws
