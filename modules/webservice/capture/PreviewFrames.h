#pragma once

#include <cstddef>
#include <cstdint>

#include "capture/FrameNotification.h"
#include "sdk/ImageInfo.h"
#include "web/MemoryFile.h"

namespace lensws {

// The JPEG preview frames of one camera notification, encoded once and shared by every
// listener. Both images of a binocular pair when both came with data, else the first image
// with data; a frame whose encoding failed has size 0. The encoded bytes live in memory files
// of `pool` (which must outlive this object) and go back to it with this object.
class PreviewFrames {
public:
    explicit PreviewFrames(vtl_base_type::ServiceMemoryPool* pool)
        : files_{vtl_base_type::MemoryFile(pool), vtl_base_type::MemoryFile(pool)} {}
    PreviewFrames(const PreviewFrames&) = delete;
    PreviewFrames& operator=(const PreviewFrames&) = delete;

    // Encodes the images to show at `quality`; the number of images taken (0 to 2).
    std::size_t encode(const sdk::ImageInfo* images, std::uint32_t count, std::uint8_t quality);

    const std::uint8_t* frame(std::size_t index) { return files_[index].buffer(); }
    std::size_t frameSize(std::size_t index) const { return sizes_[index]; }

    // Puts the frames into `notification`.
    void describe(FrameNotification& notification);

private:
    bool encodeOne(std::size_t index, const sdk::ImageInfo& image, std::uint8_t quality);

    vtl_base_type::MemoryFile files_[2];
    std::size_t sizes_[2] = {0, 0};
};

}  // namespace lensws
