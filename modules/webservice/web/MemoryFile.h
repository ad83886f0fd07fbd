#pragma once

#include <cstddef>

#include "web/CxFile.h"
#include "web/MemoryPool.h"

namespace vtl_base_type {

// An in-memory file over blocks of a ServiceMemoryPool; the image writers write encoded images
// into it. The buffer grows in steps of 8192 bytes (always to the next multiple strictly above
// the room needed). The file owns its buffer until `buffer(true)` hands it over; an owned
// buffer goes back to the pool on `close` and on destruction.
//
// Seeking beyond the size is allowed; a later write there fills the gap with zero bytes, so the
// content never holds stale bytes of an earlier user of the block.
//
// One thread at a time (a memory file is local to one call); the pool locks itself.
class MemoryFile : public CxFile {
public:
    static constexpr std::size_t kGrowthStep = 8192;

    // `pool` (not owned) must outlive the file.
    explicit MemoryFile(ServiceMemoryPool* pool);
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() override;

    // False at once when the file already has a buffer. Otherwise resets position and size and
    // reserves `capacity` bytes; true when a buffer exists afterwards. Pool exhaustion throws
    // std::bad_alloc.
    bool open(std::size_t capacity);

    // The buffer (null when none). With `giveAway` the caller takes it over: the file no
    // longer owns it and will not release it; the caller returns it to the pool.
    unsigned char* buffer(bool giveAway = false);
    std::size_t capacity() const { return capacity_; }

    // Releases an owned buffer to the pool and forgets the buffer; always true.
    bool close() override;
    std::size_t read(void* destination, std::size_t itemSize, std::size_t itemCount) override;
    std::size_t write(const void* source, std::size_t itemSize, std::size_t itemCount) override;
    bool seek(long offset, int origin) override;
    long tell() override;
    long size() override;
    bool flush() override;
    bool eof() override;
    // -1 without buffer, 1 when the position is beyond the size, else 0.
    long error() override;
    bool putByte(unsigned char c) override;
    long getByte() override;

private:
    // Makes the capacity at least `needed`; true when it is.
    bool reserve(std::size_t needed);
    // Zeroes the bytes between the size and the position before content is written there.
    void fillGap();

    ServiceMemoryPool* pool_;
    unsigned char* buffer_ = nullptr;
    std::size_t position_ = 0;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;  // content bytes: the highest position written
    bool ownsBuffer_ = true;
};

}  // namespace vtl_base_type
