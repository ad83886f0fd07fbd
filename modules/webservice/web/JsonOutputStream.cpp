#include "web/JsonOutputStream.h"

#include <stdexcept>

namespace lensws {

void JsonOutputStream::Flush() {
    if (sink_ == nullptr || used_ == 0) {
        return;
    }
    const std::size_t length = used_;
    used_ = 0;
    if (sink_->write(buffer_, length) != static_cast<int>(length)) {
        throw std::runtime_error("Socket writing failed!");
    }
}

}  // namespace lensws
