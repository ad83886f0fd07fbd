#include "simulator/Jpeg2000Encoder.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace ocusim {

namespace {

// Room the JP2 boxes take around the codestream.
constexpr std::size_t kJp2Overhead = 96;
// Below this a codestream holds little more than its headers.
constexpr std::size_t kMinimumCodestream = 256;

// The growing output buffer behind an OpenJPEG write stream; the JP2 writer seeks back to fill in
// box lengths, so writes go to the current position, not always to the end.
struct Sink {
    std::vector<std::uint8_t>* bytes;
    std::size_t position = 0;
};

OPJ_SIZE_T sinkWrite(void* buffer, OPJ_SIZE_T count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    if (sink.position + count > sink.bytes->size()) {
        sink.bytes->resize(sink.position + count);
    }
    std::memcpy(sink.bytes->data() + sink.position, buffer, count);
    sink.position += count;
    return count;
}

OPJ_OFF_T sinkSkip(OPJ_OFF_T count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    if (count < 0 && static_cast<std::size_t>(-count) > sink.position) {
        return -1;
    }
    sink.position = static_cast<std::size_t>(static_cast<OPJ_OFF_T>(sink.position) + count);
    if (sink.position > sink.bytes->size()) {
        sink.bytes->resize(sink.position);
    }
    return count;
}

OPJ_BOOL sinkSeek(OPJ_OFF_T position, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    if (position < 0) {
        return OPJ_FALSE;
    }
    sink.position = static_cast<std::size_t>(position);
    if (sink.position > sink.bytes->size()) {
        sink.bytes->resize(sink.position);
    }
    return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};

int resolutionsFor(int width, int height) {
    int levels = 6;
    while (levels > 1 && (1 << (levels - 1)) > std::min(width, height)) {
        --levels;
    }
    return levels;
}

// One encoding; `ceiling` (non-zero) caps the codestream, which OpenJPEG keeps only roughly.
bool encodeOnce(const GreyImage& image, Jpeg2000Container container, const Compression& compression,
                std::size_t ceiling, std::vector<std::uint8_t>& out) {
    out.clear();
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.cp_disto_alloc = 1;
    parameters.numresolution = resolutionsFor(image.width, image.height);

    const double rawBytes = static_cast<double>(image.width) * image.height;
    double ratio = 1;
    switch (compression.kind) {
        case Compression::Ratio:
            ratio = std::max<double>(1, compression.value);
            break;
        case Compression::Quality:
            ratio = compression.value >= 100
                        ? 1
                        : 1 + (100.0 - std::max<std::uint32_t>(1, compression.value)) * 0.5;
            break;
        case Compression::ByteSize:
            ratio = std::max(1.0, rawBytes / static_cast<double>(ceiling));
            parameters.max_cs_size = static_cast<int>(ceiling);
            break;
        default:
            return false;
    }
    const bool lossless = ratio <= 1.0 && compression.kind != Compression::ByteSize;
    parameters.irreversible = lossless ? 0 : 1;
    parameters.tcp_rates[0] = lossless ? 0.0f : static_cast<float>(ratio);

    opj_image_cmptparm_t component;
    std::memset(&component, 0, sizeof component);
    component.dx = 1;
    component.dy = 1;
    component.w = static_cast<OPJ_UINT32>(image.width);
    component.h = static_cast<OPJ_UINT32>(image.height);
    component.prec = 8;
    component.sgnd = 0;
    std::unique_ptr<opj_image_t, ImageDeleter> picture(
        opj_image_create(1, &component, OPJ_CLRSPC_GRAY));
    if (!picture) {
        return false;
    }
    picture->x0 = 0;
    picture->y0 = 0;
    picture->x1 = component.w;
    picture->y1 = component.h;
    OPJ_INT32* samples = picture->comps[0].data;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        samples[i] = image.pixels[i];
    }

    std::unique_ptr<opj_codec_t, CodecDeleter> codec(
        opj_create_compress(container == Jpeg2000Container::Jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!codec) {
        return false;
    }
    opj_set_info_handler(codec.get(), quiet, nullptr);
    opj_set_warning_handler(codec.get(), quiet, nullptr);
    opj_set_error_handler(codec.get(), quiet, nullptr);
    if (!opj_setup_encoder(codec.get(), &parameters, picture.get())) {
        return false;
    }
    Sink sink{&out};
    std::unique_ptr<opj_stream_t, StreamDeleter> stream(
        opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    if (!stream) {
        return false;
    }
    opj_stream_set_user_data(stream.get(), &sink, nullptr);
    opj_stream_set_write_function(stream.get(), sinkWrite);
    opj_stream_set_skip_function(stream.get(), sinkSkip);
    opj_stream_set_seek_function(stream.get(), sinkSeek);
    const bool encoded = opj_start_compress(codec.get(), picture.get(), stream.get()) &&
                         opj_encode(codec.get(), stream.get()) &&
                         opj_end_compress(codec.get(), stream.get());
    if (!encoded) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace

bool encodeJpeg2000(const GreyImage& image, Jpeg2000Container container,
                    const Compression& compression, std::vector<std::uint8_t>& out) {
    out.clear();
    if (image.empty() || image.width <= 0 || image.height <= 0) {
        return false;
    }
    if (compression.kind != Compression::ByteSize) {
        return encodeOnce(image, container, compression, 0, out);
    }
    // A byte budget: aim below it by the container's overhead and tighten until it fits.
    const std::size_t overhead = container == Jpeg2000Container::Jp2 ? kJp2Overhead : 0;
    std::size_t ceiling = compression.value;
    if (ceiling <= overhead + kMinimumCodestream) {
        return false;
    }
    ceiling -= overhead;
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (encodeOnce(image, container, compression, ceiling, out) &&
            out.size() <= compression.value) {
            return true;
        }
        const std::size_t excess =
            out.size() > compression.value ? out.size() - compression.value : 0;
        const std::size_t step = excess + ceiling / 16;
        if (ceiling <= step + kMinimumCodestream) {
            break;
        }
        ceiling -= step;
    }
    out.clear();
    return false;
}

}  // namespace ocusim
