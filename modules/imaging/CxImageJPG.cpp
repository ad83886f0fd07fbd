#include "imaging/CxImageJPG.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include <jerror.h>

namespace lensws {

namespace {

// libjpeg's error manager, extended with the place to return to: libjpeg calls error_exit
// and expects it not to return; the default one ends the process.
struct JpegErrors {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it is one to the whole
    std::jmp_buf jump;
};

[[noreturn]] void leave(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings and trace messages would go to stderr; the service has no use for them.
void discard(j_common_ptr) {}

// Hands libjpeg's output buffer to the file whenever it is full, and the rest at the end.
struct FileDestination {
    static constexpr std::size_t kBufferSize = 16384;

    jpeg_destination_mgr manager;  // first, as for JpegErrors
    vtl_base_type::CxFile* file;
    JOCTET buffer[kBufferSize];
};

FileDestination& destinationOf(j_compress_ptr cinfo) {
    return *reinterpret_cast<FileDestination*>(cinfo->dest);
}

// Exceptions (an exhausted pool) must not unwind through libjpeg's C frames, so they count as a
// failed write.
bool writeOut(FileDestination& destination, std::size_t count) {
    try {
        return destination.file->write(destination.buffer, 1, count) == count;
    } catch (...) {
        return false;
    }
}

void startBuffer(j_compress_ptr cinfo) {
    FileDestination& destination = destinationOf(cinfo);
    destination.manager.next_output_byte = destination.buffer;
    destination.manager.free_in_buffer = FileDestination::kBufferSize;
}

boolean flushBuffer(j_compress_ptr cinfo) {
    if (!writeOut(destinationOf(cinfo), FileDestination::kBufferSize)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    startBuffer(cinfo);
    return TRUE;
}

void flushRest(j_compress_ptr cinfo) {
    FileDestination& destination = destinationOf(cinfo);
    const std::size_t count = FileDestination::kBufferSize - destination.manager.free_in_buffer;
    if (count > 0 && !writeOut(destination, count)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

// Everything libjpeg may abandon with a longjmp happens in here, so no local has a destructor
// to skip. On an error libjpeg's message goes to `message`.
bool compress(jpeg_compress_struct& cinfo, JpegErrors& errors, FileDestination& destination,
              const CxImage& image, char (&message)[JMSG_LENGTH_MAX]) {
    if (setjmp(errors.jump) != 0) {
        (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &destination.manager;
    cinfo.image_width = image.width();
    cinfo.image_height = image.height();
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, static_cast<int>(image.quality()), FALSE);
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(image.row(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

// Owns the compression object: jpeg_destroy_compress releases whatever libjpeg allocated, on
// success and after an error alike (and does nothing for a zeroed, never created object).
struct CompressGuard {
    jpeg_compress_struct cinfo;
    CompressGuard() { std::memset(&cinfo, 0, sizeof cinfo); }
    CompressGuard(const CompressGuard&) = delete;
    CompressGuard& operator=(const CompressGuard&) = delete;
    ~CompressGuard() { jpeg_destroy_compress(&cinfo); }
};

}  // namespace

bool CxImageJPG::encode(CxImage& image, vtl_base_type::CxFile& file) {
    if (!image.isGrayScale()) {
        image.setLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    JpegErrors errors;
    FileDestination destination;
    destination.file = &file;
    destination.manager.init_destination = startBuffer;
    destination.manager.empty_output_buffer = flushBuffer;
    destination.manager.term_destination = flushRest;
    CompressGuard guard;
    guard.cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leave;
    errors.manager.output_message = discard;

    char message[JMSG_LENGTH_MAX] = "";
    if (!compress(guard.cinfo, errors, destination, image, message)) {
        image.setLastError(message);
        return false;
    }
    return true;
}

}  // namespace lensws
