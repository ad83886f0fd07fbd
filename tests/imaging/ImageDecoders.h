#pragma once

// Independent readers of the encoder's output: the decoding sides of libjpeg, libpng and
// OpenJPEG, and Pillow (through Debian's python3) for BMP. Each fills a Decoded and answers
// whether the file could be read.

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>

#include "support/TempDir.h"

namespace imagingtest {

using Bytes = std::vector<unsigned char>;

struct Decoded {
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;
    Bytes pixels;          // components interleaved, rows top to bottom; PNG palette indices
    int model = -1;        // JPEG colour space, PNG colour type, JP2 colour space; BMP 1 for grey
    Bytes palette;         // PNG: RGB triples
    int densityUnit = -1;  // JPEG and BMP 1 = dots per inch, PNG 1 = per metre
    unsigned densityX = 0;
    unsigned densityY = 0;
    int interlace = -1;  // PNG
};

inline bool decodeJpeg(const Bytes& file, Decoded& out) {
    struct Errors {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    } errors;
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<Errors*>(c->err)->jump, 1);
    };
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    out = Decoded{cinfo.output_width,      cinfo.output_height,
                  cinfo.output_components, {},
                  cinfo.jpeg_color_space,  {},
                  cinfo.density_unit,      cinfo.X_density,
                  cinfo.Y_density};
    out.pixels.resize(std::size_t{out.width} * out.height * out.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &out.pixels[std::size_t{cinfo.output_scanline} * out.width * out.components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

inline bool decodePng(const Bytes& file, Decoded& out) {
    std::FILE* in = fmemopen(const_cast<unsigned char*>(file.data()), file.size(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(in);
        return false;
    }
    png_init_io(png, in);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.components = png_get_channels(png, info);
    out.model = png_get_color_type(png, info);
    out.interlace = png_get_interlace_type(png, info);
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png, info, &palette, &entries);
    for (int i = 0; i < entries; ++i) {
        out.palette.insert(out.palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
    }
    png_uint_32 x = 0, y = 0;
    png_get_pHYs(png, info, &x, &y, &out.densityUnit);
    out.densityX = x;
    out.densityY = y;
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    out.pixels.resize(rowBytes * out.height);
    for (unsigned row = 0; row < out.height; ++row) {
        png_read_row(png, &out.pixels[row * rowBytes], nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(in);
    return true;
}

inline bool decodeJp2(const Bytes& file, Decoded& out) {
    testsupport::TempDir dir;
    const std::string path = dir.file("image.jp2");
    testsupport::writeFile(path, std::string(file.begin(), file.end()));
    opj_stream_t* stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_TRUE);
    opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_JP2);  // refuses a bare codestream
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* image = nullptr;
    const bool decoded = opj_setup_decoder(codec, &parameters) &&
                         opj_read_header(stream, codec, &image) &&
                         opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
    if (decoded) {
        out.width = image->x1 - image->x0;
        out.height = image->y1 - image->y0;
        out.components = static_cast<int>(image->numcomps);
        out.model = image->color_space;
        out.pixels.resize(std::size_t{out.width} * out.height * out.components);
        for (std::size_t i = 0; i < out.pixels.size(); ++i) {
            out.pixels[i] = static_cast<unsigned char>(
                image->comps[i % out.components].data[i / out.components]);
        }
    }
    opj_image_destroy(image);
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    return decoded;
}

inline bool decodeBmp(const Bytes& file, Decoded& out) {
    testsupport::TempDir dir;
    const std::string input = dir.file("image.bmp");
    const std::string pixels = dir.file("pixels");
    testsupport::writeFile(input, std::string(file.begin(), file.end()));
    const std::string command =
        "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "open(sys.argv[2], 'wb').write(im.tobytes()); print(im.format, im.mode, im.width, "
        "im.height, *[round(d) for d in im.info['dpi']])\" " +
        input + " " + pixels;
    std::FILE* pipe = popen(command.c_str(), "r");
    char format[8] = "", mode[8] = "";
    const bool read = std::fscanf(pipe, "%7s %7s %u %u %u %u", format, mode, &out.width,
                                  &out.height, &out.densityX, &out.densityY) == 6;
    if (pclose(pipe) != 0 || !read || std::string(format) != "BMP") {
        return false;
    }
    out.components = 1;
    out.model = std::string(mode) == "L" ? 1 : 0;
    out.densityUnit = 1;
    const std::string bytes = testsupport::readFile(pixels);
    out.pixels.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace imagingtest
