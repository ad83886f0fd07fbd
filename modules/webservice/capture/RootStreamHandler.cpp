#include "capture/RootStreamHandler.h"

#include <string_view>

#include "capture/PreviewStream.h"
#include "web/RequestPath.h"

namespace lensws {

bool RootStreamHandler::handleGet(CivetServer*, mg_connection* connection) {
    std::string_view path = requestPath(connection);
    path.remove_prefix(path.empty() ? 0 : 1);
    return servePreviewStream(connection, controller(), path);
}

}  // namespace lensws
