#include "web/RequestBody.h"

#include <civetweb.h>

namespace lensws {

RequestBody::~RequestBody() = default;

long long ConnectionBody::contentLength() {
    const mg_request_info* info = mg_get_request_info(connection_);
    return info != nullptr ? info->content_length : -1;
}

int ConnectionBody::read(void* buffer, std::size_t length) {
    return mg_read(connection_, buffer, length);
}

}  // namespace lensws
