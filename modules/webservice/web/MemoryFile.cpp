#include "web/MemoryFile.h"

#include <climits>
#include <cstring>

namespace vtl_base_type {

MemoryFile::MemoryFile(ServiceMemoryPool* pool) : pool_(pool) {}

MemoryFile::~MemoryFile() {
    close();
}

bool MemoryFile::open(std::size_t capacity) {
    if (buffer_ != nullptr) {
        return false;
    }
    position_ = 0;
    size_ = 0;
    reserve(capacity);
    return buffer_ != nullptr;
}

unsigned char* MemoryFile::buffer(bool giveAway) {
    if (giveAway) {
        ownsBuffer_ = false;
    }
    return buffer_;
}

bool MemoryFile::close() {
    if (buffer_ != nullptr && ownsBuffer_ && pool_ != nullptr) {
        pool_->release(buffer_);
    }
    buffer_ = nullptr;
    capacity_ = 0;
    return true;
}

bool MemoryFile::reserve(std::size_t needed) {
    if (capacity_ >= needed) {
        return true;
    }
    if (pool_ == nullptr || needed > SIZE_MAX - kGrowthStep) {
        return false;
    }
    const std::size_t newCapacity = (needed / kGrowthStep + 1) * kGrowthStep;
    void* grown = buffer_ != nullptr ? pool_->reallocate(buffer_, capacity_, newCapacity)
                                     : pool_->allocate(newCapacity);
    if (grown == nullptr) {
        return false;
    }
    buffer_ = static_cast<unsigned char*>(grown);
    capacity_ = newCapacity;
    ownsBuffer_ = true;
    return true;
}

void MemoryFile::fillGap() {
    if (position_ > size_) {
        std::memset(buffer_ + size_, 0, position_ - size_);
    }
}

std::size_t MemoryFile::read(void* destination, std::size_t itemSize, std::size_t itemCount) {
    if (destination == nullptr || buffer_ == nullptr || position_ >= size_ || itemSize == 0 ||
        itemCount == 0) {
        return 0;
    }
    const std::size_t left = size_ - position_;
    const std::size_t wanted =
        itemCount > left / itemSize ? left : itemSize * itemCount;  // no overflow
    std::memcpy(destination, buffer_ + position_, wanted);
    position_ += wanted;
    return wanted / itemSize;
}

std::size_t MemoryFile::write(const void* source, std::size_t itemSize, std::size_t itemCount) {
    if (buffer_ == nullptr || source == nullptr || itemSize == 0 || itemCount == 0) {
        return 0;
    }
    if (itemCount > (SIZE_MAX - position_) / itemSize) {
        return 0;
    }
    const std::size_t bytes = itemSize * itemCount;
    if (!reserve(position_ + bytes)) {
        return 0;
    }
    fillGap();
    std::memcpy(buffer_ + position_, source, bytes);
    position_ += bytes;
    if (position_ > size_) {
        size_ = position_;
    }
    return itemCount;
}

bool MemoryFile::seek(long offset, int origin) {
    if (buffer_ == nullptr) {
        return false;
    }
    long long base = 0;
    switch (origin) {
        case 0:
            base = 0;
            break;
        case 1:
            base = static_cast<long long>(position_);
            break;
        case 2:
            base = static_cast<long long>(size_);
            break;
        default:
            return false;
    }
    // A position stays between 0 and what tell() can report.
    long long target = 0;
    if (__builtin_add_overflow(base, static_cast<long long>(offset), &target) ||
        target > LONG_MAX) {
        target = LONG_MAX;
    }
    if (target < 0) {
        target = 0;
    }
    position_ = static_cast<std::size_t>(target);
    return true;
}

long MemoryFile::tell() {
    return buffer_ != nullptr ? static_cast<long>(position_) : -1;
}

long MemoryFile::size() {
    return buffer_ != nullptr ? static_cast<long>(size_) : -1;
}

bool MemoryFile::flush() {
    return buffer_ != nullptr;
}

bool MemoryFile::eof() {
    return buffer_ == nullptr || position_ >= size_;
}

long MemoryFile::error() {
    if (buffer_ == nullptr) {
        return -1;
    }
    return position_ > size_ ? 1 : 0;
}

bool MemoryFile::putByte(unsigned char c) {
    if (buffer_ == nullptr || position_ == SIZE_MAX || !reserve(position_ + 1)) {
        return false;
    }
    fillGap();
    buffer_[position_++] = c;
    if (position_ > size_) {
        size_ = position_;
    }
    return true;
}

long MemoryFile::getByte() {
    if (eof()) {
        return -1;
    }
    return buffer_[position_++];
}

}  // namespace vtl_base_type
