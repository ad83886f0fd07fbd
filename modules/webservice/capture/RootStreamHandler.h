#pragma once

#include "capture/IHandler.h"

namespace lensws {

// The preview streams at the root: GET /stream, /stream1 and /stream2 behave exactly as under
// "/1.0/". The address GET /1.0/info advertises is "/stream". Any other path this handler is
// reached with (a static file whose name begins like a stream's) is left to the web server.
class RootStreamHandler : public IHandler {
public:
    explicit RootStreamHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
