#include "capture/PreviewFrames.h"

#include "capture/ImageData.h"
#include "imaging/EncoderFormat.h"
#include "imaging/ImageEncoder.h"

namespace lensws {

std::size_t PreviewFrames::encode(const sdk::ImageInfo* images, std::uint32_t count,
                                  std::uint8_t quality) {
    if (images == nullptr) {
        return 0;
    }
    if (count > 1 && hasData(images[0]) && hasData(images[1])) {
        encodeOne(0, images[0], quality);
        encodeOne(1, images[1], quality);
        return 2;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (hasData(images[i])) {
            encodeOne(0, images[i], quality);
            return 1;
        }
    }
    return 0;
}

bool PreviewFrames::encodeOne(std::size_t index, const sdk::ImageInfo& image,
                              std::uint8_t quality) {
    vtl_base_type::MemoryFile& file = files_[index];
    file.close();
    sizes_[index] = 0;
    if (!holdsPixels(image) ||
        !encodeGreyImage(image.data, image.width, image.height, kEncoderJpeg, quality, &file)) {
        return false;
    }
    sizes_[index] = static_cast<std::size_t>(file.size());
    return true;
}

void PreviewFrames::describe(FrameNotification& notification) {
    notification.hasFrames = true;
    for (std::size_t i = 0; i < 2; ++i) {
        notification.frames[i] = sizes_[i] > 0 ? frame(i) : nullptr;
        notification.frameSizes[i] = sizes_[i];
    }
}

}  // namespace lensws
