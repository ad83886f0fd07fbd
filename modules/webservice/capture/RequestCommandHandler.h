#pragma once

#include "capture/IHandler.h"

namespace lensws {

// The catch-all on "/1.0/": the second path segment is a command word. GET "stream",
// "stream1" and "stream2" are the live preview streams; POST "cancel?session_id=…" cancels the
// running capture. Every other word answers unsupported.
class RequestCommandHandler : public IHandler {
public:
    explicit RequestCommandHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
