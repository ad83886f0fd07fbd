#include "capture/RootStreamHandler.h"

#include <string_view>

#include "capture/PreviewStream.h"
#include "web/RequestPath.h"

namespace lensws {

bool RootStreamHandler::handleGet(CivetServer*, mg_connection* connection) {
    std::string_view path = requestPath(connection);
    path.remove_prefix(path.empty() ? 0 : 1);
    const int frameIndex = previewFrameIndex(path);
    if (frameIndex < 0) {
        return false;
    }
    servePreviewStream(connection, controller(), static_cast<std::size_t>(frameIndex));
    return true;
}

}  // namespace lensws
