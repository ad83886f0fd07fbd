#include "sdk/DeviceBuffers.h"

#include <cstddef>

namespace sdk {

namespace {

constexpr std::size_t kListBufferSize = 360396;
constexpr std::size_t kTemplateBufferSize = 0xAB000;
constexpr std::size_t kGeneralBufferSize = 0xAB000;  // 700416
constexpr std::size_t kStreamHeadSize = 10;
constexpr std::size_t kResultImageExtra = 2048;
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
    return list.reserve(kListBufferSize) && templates.reserve(kTemplateBufferSize) &&
           stream.reserve(streamSize) && captureStream.reserve(streamSize) &&
           resultImages[0].reserve(resultSize) && resultImages[1].reserve(resultSize) &&
           general.reserve(kGeneralBufferSize);
}

}  // namespace sdk
