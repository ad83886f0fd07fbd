#include "capture/ServiceInfoHandler.h"

#include <cstdio>
#include <cstring>

#include "web/InlineAllocator.h"
#include "web/MetaData.h"
#include "web/RequestAnswer.h"
#include "web/RequestPath.h"

namespace lensws {

namespace {

// The preview address is built in a buffer of this size; the longest Host values it takes are
// 237 characters over TLS and 238 otherwise.
constexpr std::size_t kAddressBuffer = 256;
constexpr std::size_t kMaxHostTls = 237;
constexpr std::size_t kMaxHostPlain = 238;

// Room for the dictionary's items and texts without touching the heap.
constexpr std::size_t kInfoPool = 2048;

// Writes the preview address into `address`; false when the host does not fit.
bool previewAddress(mg_connection* connection, char (&address)[kAddressBuffer]) {
    const mg_request_info* info = mg_get_request_info(connection);
    const bool tls = info != nullptr && info->is_ssl != 0;
    const char* host = mg_get_header(connection, "Host");
    char fallback[32];
    if (host == nullptr) {
        // HTTP/1.0 clients may leave Host out: name the port they reached on this machine.
        std::snprintf(fallback, sizeof fallback, "localhost:%d",
                      info != nullptr ? info->server_port : 0);
        host = fallback;
    }
    if (std::strlen(host) > (tls ? kMaxHostTls : kMaxHostPlain)) {
        return false;
    }
    std::snprintf(address, sizeof address, tls ? "https://%s/stream" : "http://%s/stream", host);
    return true;
}

}  // namespace

bool ServiceInfoHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kInfoPool> pool;
    MetaData info(pool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        char address[kAddressBuffer];
        if (std::strcmp(requestPath(connection), "/1.0/info") != 0 ||
            !previewAddress(connection, address)) {
            result.setStatus(ResultStatus::unsupported);
            return nullptr;
        }
        info.addUint("sessionTimeout", static_cast<std::uint32_t>(sessions().sessionTimeout()));
        info.addUint("lockStealingPreventionPeriod",
                     static_cast<std::uint32_t>(sessions().lockStealingPreventionPeriod()));
        MetadataItem livePreview(pool);
        livePreview.setKey("livePreview");
        ParameterDescriptor& descriptor = livePreview.setDescriptor();
        descriptor.setName("livePreview");
        descriptor.setReadOnly(true);
        descriptor.addResource(address, "multipart/x-mixed-replace", "livePreview");
        info.addItem(livePreview);
        result.setStatus(ResultStatus::success);
        return &info;
    });
}

}  // namespace lensws
