// Request bodies: any body, under any declared length, is read, parsed, turned into a
// configuration dictionary and written back without faults.
//
// Input: one byte choosing the declared length (exact, shorter, longer, absent, above the
// limit) and how the body arrives (whole or in small pieces), then the body.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "capture/DownloadParams.h"
#include "web/InlineAllocator.h"
#include "web/JSConfiguration.h"
#include "web/JsonOutputStream.h"
#include "web/JsonWriter.h"
#include "web/RequestBody.h"
#include "web/RequestDocument.h"

namespace {

class FuzzBody : public lensws::RequestBody {
public:
    FuzzBody(const uint8_t* data, size_t size, long long declared, size_t piece)
        : data_(data), size_(size), declared_(declared), piece_(piece) {}
    long long contentLength() override { return declared_; }
    int read(void* buffer, std::size_t length) override {
        const std::size_t n = std::min({length, piece_, size_ - offset_});
        std::memcpy(buffer, data_ + offset_, n);
        offset_ += n;
        return static_cast<int>(n);
    }

private:
    const uint8_t* data_;
    size_t size_;
    long long declared_;
    size_t piece_;
    size_t offset_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    ++data;
    --size;
    long long declared = static_cast<long long>(size);
    switch (mode % 6) {
        case 1:
            declared = declared / 2;
            break;
        case 2:
            declared += 17;
            break;
        case 3:
            declared = -1;
            break;
        case 4:
            declared = lensws::RequestDocument::kMaxBodyLength + 1;
            break;
        default:
            break;
    }
    FuzzBody body(data, size, declared, (mode & 0x80) != 0 ? 7 : size + 1);

    alignas(8) char scratch[2048];
    lensws::RequestDocument request(body, scratch, sizeof scratch);
    vtl_base_type::InlineAllocator<2048> pool;
    lensws::JSConfiguration configuration(pool);
    const bool read = request.readMember(
        "configuration",
        [&configuration](const lensws::JsonValue& value) { return configuration.read(value); });
    if (declared > lensws::RequestDocument::kMaxBodyLength && read) {
        std::abort();
    }

    // The download parameters from the same body: whatever they say, a usable request names a
    // known format and a quality of 1 to 100.
    lensws::DownloadParams params;
    if (request.readMember(
            "params", [&params](const lensws::JsonValue& value) { return params.read(value); }) &&
        params.usable() &&
        (lensws::imageFormatCode(lensws::imageFormatName(params.imageFormat)) !=
             params.imageFormat ||
         params.encodingQuality < 1 || params.encodingQuality > 100)) {
        std::abort();
    }

    bool dedup = false;
    float threshold = 0;
    int32_t quality = 0;
    configuration.getBool("deduplicationEnroll", dedup);
    configuration.getFloat("genuineThreshold", threshold);
    configuration.getInt("qualitySample", quality);

    // Whatever was read writes back, and both passes agree on the length.
    lensws::JsonOutputStream counter;
    {
        lensws::JsonWriter writer(counter);
        writer.startObject();
        configuration.write(writer);
        writer.endObject();
    }
    lensws::JsonOutputStream again;
    {
        lensws::JsonWriter writer(again);
        writer.startObject();
        configuration.write(writer);
        writer.endObject();
    }
    if (counter.count() != again.count()) {
        std::abort();
    }
    return 0;
}
