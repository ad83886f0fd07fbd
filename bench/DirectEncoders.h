#pragma once

// The codec libraries called directly, writing into plain memory with the image encoder's
// settings: what imaging_bench times the encoder against.
// Meant for valid input only: libjpeg's default error handler ends the process.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>

namespace imagingbench {

inline std::vector<unsigned char> directJpeg(const unsigned char* pixels, unsigned width,
                                             unsigned height, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    errors.output_message = [](j_common_ptr) {};
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, FALSE);
    cinfo.density_unit = 1;
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + cinfo.next_scanline * width);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<unsigned char> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

inline std::vector<unsigned char> directPng(const unsigned char* pixels, unsigned width,
                                            unsigned height) {
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_color palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = png_color{png_byte(i), png_byte(i), png_byte(i)};
    }
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, 256);
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (unsigned y = 0; y < height; ++y) {
        png_write_row(png, pixels + static_cast<std::size_t>(y) * width);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// JP2 with one layer at compression ratio `rate` and distortion-ratio allocation.
inline std::vector<unsigned char> directJp2(const unsigned char* pixels, unsigned width,
                                            unsigned height, float rate) {
    struct Sink {
        std::vector<unsigned char> bytes;
        std::size_t position = 0;
    } sink;
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = rate;
    parameters.cp_disto_alloc = 1;
    opj_image_cmptparm_t component = {};
    component.dx = component.dy = 1;
    component.w = width;
    component.h = height;
    component.prec = 8;
    opj_image_t* image = opj_image_create(1, &component, OPJ_CLRSPC_GRAY);
    image->x1 = width;
    image->y1 = height;
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        image->comps[0].data[i] = pixels[i];
    }
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &sink, nullptr);
    opj_stream_set_write_function(stream, [](void* data, OPJ_SIZE_T n, void* user) {
        Sink& s = *static_cast<Sink*>(user);
        if (s.position + n > s.bytes.size()) {
            s.bytes.resize(s.position + n);
        }
        std::memcpy(s.bytes.data() + s.position, data, n);
        s.position += n;
        return n;
    });
    opj_stream_set_skip_function(stream, [](OPJ_OFF_T n, void* user) {
        static_cast<Sink*>(user)->position += static_cast<std::size_t>(n);
        return n;
    });
    opj_stream_set_seek_function(stream, [](OPJ_OFF_T position, void* user) {
        static_cast<Sink*>(user)->position = static_cast<std::size_t>(position);
        return OPJ_TRUE;
    });
    const bool encoded = opj_setup_encoder(codec, &parameters, image) &&
                         opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
                         opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return encoded ? sink.bytes : std::vector<unsigned char>();
}

}  // namespace imagingbench
