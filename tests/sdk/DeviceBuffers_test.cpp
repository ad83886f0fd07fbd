#include "sdk/DeviceBuffers.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceBuffers, SizedForTheFrameTheCameraReports) {
    sdk::DeviceBuffers buffers;
    ASSERT_TRUE(buffers.reserveFor(640, 480));
    EXPECT_EQ(buffers.stream.capacity(), 2u * 640 * 480 + 10);
    EXPECT_EQ(buffers.captureStream.capacity(), 2u * 640 * 480 + 10);
    EXPECT_EQ(buffers.resultImages[0].capacity(), 2u * 640 * 480 + 2048);
    EXPECT_EQ(buffers.resultImages[1].capacity(), 2u * 640 * 480 + 2048);
    EXPECT_EQ(buffers.list.capacity(), 360396u);
    EXPECT_EQ(buffers.general.capacity(), 0xAB000u);
    // Areas never shrink.
    ASSERT_TRUE(buffers.reserveFor(320, 240));
    EXPECT_EQ(buffers.stream.capacity(), 2u * 640 * 480 + 10);
}

// A frame size whose two frames overflow 32 bits (or are beyond any sensor) is refused rather
// than sized from a wrapped product.
TEST(DeviceBuffers, AbsurdFrameSizesAreRefused) {
    sdk::DeviceBuffers buffers;
    EXPECT_FALSE(buffers.reserveFor(65536, 32768));  // 2·W·H is 2^32: 0 in 32 bits
    EXPECT_FALSE(buffers.reserveFor(0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_EQ(buffers.stream.capacity(), 0u);
}

}  // namespace
