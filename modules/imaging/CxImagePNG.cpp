#include "imaging/CxImagePNG.h"

#include <png.h>

namespace lensws {

namespace {

constexpr png_uint_32 kPixelsPerMetre = 3780;

// libpng's default handlers print to stderr first; the service only needs to know that it
// failed, which the setjmp in writeImage learns.
[[noreturn]] void leave(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

void writeData(png_structp png, png_bytep data, png_size_t length) {
    if (length == 0) {
        return;
    }
    auto* file = static_cast<vtl_base_type::CxFile*>(png_get_io_ptr(png));
    bool written = false;
    // Exceptions (an exhausted pool) must not unwind through libpng's C frames.
    try {
        written = file->write(data, 1, length) == length;
    } catch (...) {
        written = false;
    }
    if (!written) {
        png_error(png, "write failed");
    }
}

void flushData(png_structp) {}

// Everything libpng may abandon with a longjmp happens in here, so no local has a destructor to
// skip.
bool writeImage(png_structp png, png_infop info, const CxImage& image,
                vtl_base_type::CxFile* file) {
    png_color palette[256];
    for (int i = 0; i < 256; ++i) {
        const CxImage::Color& c = image.paletteColor(static_cast<std::uint8_t>(i));
        palette[i] = png_color{c.red, c.green, c.blue};
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, file, writeData, flushData);
    png_set_IHDR(png, info, image.width(), image.height(), 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, 256);
    png_set_pHYs(png, info, kPixelsPerMetre, kPixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < image.height(); ++y) {
        png_write_row(png, image.row(y));
    }
    png_write_end(png, info);
    return true;
}

// Owns libpng's write and info structures; png_destroy_write_struct frees both, and whatever
// libpng allocated for writing, on every path.
struct WriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    WriteGuard() = default;
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;
    ~WriteGuard() {
        if (png != nullptr) {
            png_destroy_write_struct(&png, &info);
        }
    }
};

}  // namespace

bool CxImagePNG::encode(CxImage& image, vtl_base_type::CxFile& file) {
    WriteGuard guard;
    guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, leave, ignoreWarning);
    if (guard.png == nullptr) {
        image.setLastError("Failed to create PNG structure");
        return false;
    }
    guard.info = png_create_info_struct(guard.png);
    if (guard.info == nullptr) {
        image.setLastError("Failed to initialize PNG info structure");
        return false;
    }
    if (!writeImage(guard.png, guard.info, image, &file)) {
        image.setLastError("Error saving PNG file");
        return false;
    }
    return true;
}

}  // namespace lensws
