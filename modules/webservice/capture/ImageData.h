#pragma once

#include <cstdint>

#include "sdk/ImageInfo.h"

namespace lensws {

// Whether the camera handed back bytes for this image.
inline bool hasData(const sdk::ImageInfo& image) {
    return image.data != nullptr && image.size > 0;
}

// Whether the image's bytes hold its width x height grey pixels, so that it can be encoded
// without reading past them.
inline bool holdsPixels(const sdk::ImageInfo& image) {
    return hasData(image) && image.width > 0 && image.height > 0 &&
           static_cast<std::uint64_t>(image.width) * image.height <= image.size;
}

}  // namespace lensws
