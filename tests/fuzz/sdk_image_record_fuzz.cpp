// Fuzzes the parsing of image records: any input must give a status code, and a parsed image
// must lie inside the record and fit the output buffer it was copied into.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sdk/ImageRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // Copy into an exact-size allocation so reads past the record are caught.
    std::vector<std::uint8_t> record(data, data + size);
    const sdk::DataBlock block{static_cast<std::uint32_t>(record.size()), record.data()};

    sdk::ImageInfo sizes;
    const CamxStatus status = sdk::decodeImageRecord(block, nullptr, 0, &sizes);
    if (status != CAMX_OK) {
        return 0;
    }
    if (sizes.size > size || sizes.data != nullptr) {
        std::abort();
    }
    // Once into a buffer of exactly the image size, once into one a byte too small.
    std::vector<std::uint8_t> out(sizes.size);
    sdk::ImageInfo image;
    if (sdk::decodeImageRecord(block, out.data(), out.size(), &image) != CAMX_OK ||
        image.size != sizes.size) {
        std::abort();
    }
    if (sizes.size > 0 && sdk::decodeImageRecord(block, out.data(), out.size() - 1, &image) !=
                              CAMX_NOT_ENOUGH_BUFFER) {
        std::abort();
    }
    return 0;
}
