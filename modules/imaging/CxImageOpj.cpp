#include "imaging/CxImageOpj.h"

#include <cstdio>
#include <memory>

#include "imaging/EncoderFormat.h"

namespace lensws {

namespace {

void discard(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};

// The output stream's view of the file. OpenJPEG counts positions from the start of its own
// output, and the JP2 writer seeks back to fill in box lengths, so positions are taken relative
// to where the file stood when encoding began.
struct StreamTarget {
    vtl_base_type::CxFile* file;
    long origin;
};

// Exceptions (an exhausted pool) must not unwind through OpenJPEG's C frames: they count as a
// failed write.
OPJ_SIZE_T writeStream(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* target = static_cast<StreamTarget*>(user);
    try {
        if (target->file->write(buffer, 1, count) == count) {
            return count;
        }
    } catch (...) {
    }
    return static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T skipStream(OPJ_OFF_T count, void* user) {
    auto* target = static_cast<StreamTarget*>(user);
    return target->file->seek(static_cast<long>(count), SEEK_CUR) ? count : -1;
}

OPJ_BOOL seekStream(OPJ_OFF_T position, void* user) {
    auto* target = static_cast<StreamTarget*>(user);
    return target->file->seek(target->origin + static_cast<long>(position), SEEK_SET) ? OPJ_TRUE
                                                                                      : OPJ_FALSE;
}

// The image as OpenJPEG takes it: one 32-bit sample per pixel and component.
opj_image_t* toOpjImage(const CxImage& image) {
    const bool grey = image.isGrayScale();
    const OPJ_UINT32 components = grey ? 1 : 3;
    opj_image_cmptparm_t parameters[3] = {};
    for (OPJ_UINT32 c = 0; c < components; ++c) {
        parameters[c].dx = 1;
        parameters[c].dy = 1;
        parameters[c].w = image.width();
        parameters[c].h = image.height();
        parameters[c].prec = 8;
    }
    opj_image_t* converted =
        opj_image_create(components, parameters, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    if (converted == nullptr) {
        return nullptr;
    }
    converted->x0 = 0;
    converted->y0 = 0;
    converted->x1 = image.width();
    converted->y1 = image.height();
    std::size_t i = 0;
    for (std::uint32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* row = image.row(y);
        for (std::uint32_t x = 0; x < image.width(); ++x, ++i) {
            if (grey) {
                converted->comps[0].data[i] = row[x];
            } else {
                const CxImage::Color& color = image.paletteColor(row[x]);
                converted->comps[0].data[i] = color.red;
                converted->comps[1].data[i] = color.green;
                converted->comps[2].data[i] = color.blue;
            }
        }
    }
    return converted;
}

}  // namespace

bool CxImageOpj::setParameters(opj_cparameters_t& parameters, float quality, std::uint32_t width,
                               std::uint32_t height) {
    if (!(quality > 0)) {
        return false;
    }
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    const float ratio = 100.0f / (quality > 100 ? 100 : quality);
    parameters.tcp_rates[0] = ratio < kMaxRatio ? ratio : kMaxRatio;
    parameters.cp_disto_alloc = 1;
    const std::uint32_t smaller = width < height ? width : height;
    while (parameters.numresolution > 1 &&
           (std::uint32_t{1} << (parameters.numresolution - 1)) > smaller) {
        --parameters.numresolution;
    }
    return true;
}

bool CxImageOpj::encode(CxImage& image, vtl_base_type::CxFile& file, int format) {
    if (format != kEncoderJpeg2000) {
        image.setLastError("Image format is not supported by the encoder");
        return false;
    }
    opj_cparameters_t parameters;
    if (!setParameters(parameters, image.quality(), image.width(), image.height())) {
        image.setLastError("JPEG 2000 quality must be greater than zero");
        return false;
    }
    std::unique_ptr<opj_image_t, ImageDeleter> converted(toOpjImage(image));
    if (!converted) {
        image.setLastError("Failed to convert gray scale buffer to opj_image_t");
        return false;
    }
    StreamTarget target{&file, file.tell()};
    std::unique_ptr<opj_stream_t, StreamDeleter> stream(
        opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    if (!stream || target.origin < 0) {
        image.setLastError("Cannot create output stream");
        return false;
    }
    opj_stream_set_user_data(stream.get(), &target, nullptr);
    opj_stream_set_write_function(stream.get(), writeStream);
    opj_stream_set_skip_function(stream.get(), skipStream);
    opj_stream_set_seek_function(stream.get(), seekStream);

    std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_compress(OPJ_CODEC_JP2));
    if (codec) {
        opj_set_info_handler(codec.get(), discard, nullptr);
        opj_set_warning_handler(codec.get(), discard, nullptr);
        opj_set_error_handler(codec.get(), discard, nullptr);
    }
    if (!codec || !opj_setup_encoder(codec.get(), &parameters, converted.get()) ||
        !opj_start_compress(codec.get(), converted.get(), stream.get())) {
        image.setLastError("Failed to compress image");
        return false;
    }
    if (!opj_encode(codec.get(), stream.get())) {
        image.setLastError("Failed to encode image");
        return false;
    }
    if (!opj_end_compress(codec.get(), stream.get())) {
        image.setLastError("Failed to end compress image");
        return false;
    }
    return true;
}

}  // namespace lensws
