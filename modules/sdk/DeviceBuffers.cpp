#include "sdk/DeviceBuffers.h"

#include <cstddef>

namespace sdk {

namespace {

constexpr std::size_t kListBufferSize = 360396;
constexpr std::size_t kTemplateBufferSize = 0xAB000;
constexpr std::size_t kGeneralBufferSize = 0xAB000;  // 700416
constexpr std::size_t kStreamHeadSize = 10;
constexpr std::size_t kResultImageExtra = 2048;
// Result images with data carry, per eye, the image's record and a template beside it; a
// template never exceeds the camera's template area.
constexpr std::size_t kTemplateArea = 0x7E00;
// Two frames of the largest sensor any camera of the family could report; a larger size is
// taken for a corrupted answer rather than allocated.
constexpr std::uint64_t kMaxFrameBytes = 64ull * 1024 * 1024;

}  // namespace

bool DeviceBuffers::reserveFor(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t twoFrames = 2ull * width * height;
    if (twoFrames > kMaxFrameBytes) {
        return false;
    }
    const std::size_t streamSize = static_cast<std::size_t>(twoFrames) + kStreamHeadSize;
    const std::size_t resultSize = static_cast<std::size_t>(twoFrames) + kResultImageExtra;
    const std::size_t withDataSize = resultSize + 2 * kTemplateArea;
    return list.reserve(kListBufferSize) && templates.reserve(kTemplateBufferSize) &&
           stream.reserve(streamSize) && captureStream.reserve(streamSize) &&
           resultImages[0].reserve(resultSize) && resultImages[1].reserve(withDataSize) &&
           general.reserve(kGeneralBufferSize);
}

}  // namespace sdk
