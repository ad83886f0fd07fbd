#include "imaging/Base64Text.h"

#include <new>
#include <utility>

#include "web/Base64.h"

namespace lensws {

Base64Text::Base64Text(Base64Text&& other) noexcept
    : status_(other.status_),
      text_(std::exchange(other.text_, nullptr)),
      length_(other.length_),
      pool_(other.pool_) {}

Base64Text& Base64Text::operator=(Base64Text&& other) noexcept {
    if (this != &other) {
        if (text_ != nullptr) {
            pool_->release(text_);
        }
        status_ = other.status_;
        text_ = std::exchange(other.text_, nullptr);
        length_ = other.length_;
        pool_ = other.pool_;
    }
    return *this;
}

Base64Text::~Base64Text() {
    if (text_ != nullptr) {
        pool_->release(text_);
    }
}

char* Base64Text::release() {
    return std::exchange(text_, nullptr);
}

Base64Text toBase64(const void* data, std::size_t n, vtl_base_type::ServiceMemoryPool* pool) {
    Base64Text result;
    if (data == nullptr && n > 0) {
        return result;
    }
    result.status_ = ResultStatus::memoryAllocationFailed;
    if (pool == nullptr || n >= base64::kMaxEncodable) {
        return result;
    }
    const std::size_t length = base64::encodedLength(n);
    try {
        result.text_ = static_cast<char*>(pool->allocate(length + 1));
    } catch (const std::bad_alloc&) {
        return result;
    }
    result.pool_ = pool;
    base64::encode(static_cast<const unsigned char*>(data), n, result.text_);
    result.text_[length] = '\0';
    result.length_ = length;
    result.status_ = ResultStatus::success;
    return result;
}

std::size_t decodeBase64(const char* text, std::size_t n, unsigned char* buffer) {
    const std::size_t count = base64::decode(text, n, buffer, n / 4 * 3);
    buffer[count] = '\0';
    return count;
}

}  // namespace lensws
