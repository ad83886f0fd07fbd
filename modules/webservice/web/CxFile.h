#pragma once

#include <cstddef>

namespace vtl_base_type {

// The file interface the image writers write through (stdio-like). Virtual operations in slot
// order: destructor, close, read, write, seek, tell, size, flush, eof, error, putByte, getByte.
class CxFile {
public:
    virtual ~CxFile();

    virtual bool close() = 0;
    // Items of `itemSize` bytes; the number of whole items transferred.
    virtual std::size_t read(void* destination, std::size_t itemSize, std::size_t itemCount) = 0;
    virtual std::size_t write(const void* source, std::size_t itemSize, std::size_t itemCount) = 0;
    // `origin`: 0 start (SEEK_SET), 1 current position (SEEK_CUR), 2 size (SEEK_END).
    virtual bool seek(long offset, int origin) = 0;
    virtual long tell() = 0;
    virtual long size() = 0;
    virtual bool flush() = 0;
    virtual bool eof() = 0;
    virtual long error() = 0;
    // One byte; true when it was written. The default writes one one-byte item.
    virtual bool putByte(unsigned char c);
    // The next byte (0 to 255), or -1 at the end.
    virtual long getByte() = 0;
};

}  // namespace vtl_base_type
