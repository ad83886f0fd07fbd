#include "sdk/SdkVersion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(SdkVersion, NumberCarriesMajorMinorRevision) {
    EXPECT_EQ(sdk::sdkGetVersion(), 0x03030000u);
}

TEST(SdkVersion, TextNeedsRoomForItsTerminator) {
    char text[256];
    std::uint32_t size = sizeof text;
    ASSERT_EQ(sdk::sdkGetVersionString(text, &size), CAMX_OK);
    const std::uint32_t length = size;
    EXPECT_EQ(std::strlen(text), length);
    const std::string version(text);
    EXPECT_EQ(version.rfind("Tavisor SDK version 3.3.0.\n", 0), 0u);
    EXPECT_GT(version.size(), std::strlen("Tavisor SDK version 3.3.0.\n"));

    // Exactly the length: one byte short.
    char small[256];
    std::memset(small, 'x', sizeof small);
    size = length;
    EXPECT_EQ(sdk::sdkGetVersionString(small, &size), CAMX_NOT_ENOUGH_BUFFER);
    EXPECT_EQ(size, length + 1);
    EXPECT_EQ(small[0], 'x');  // nothing written

    size = length + 1;
    ASSERT_EQ(sdk::sdkGetVersionString(small, &size), CAMX_OK);
    EXPECT_EQ(size, length);
    EXPECT_STREQ(small, text);
}

TEST(SdkVersion, NullPointersAreInvalidParameters) {
    char text[256];
    std::uint32_t size = sizeof text;
    EXPECT_EQ(sdk::sdkGetVersionString(nullptr, &size), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::sdkGetVersionString(text, nullptr), CAMX_INVALID_PARAMETER);
}

}  // namespace
