#pragma once

#include "capture/IHandler.h"

namespace lensws {

// GET /1.0/info: the session time-out, the lock-stealing prevention period and the address of
// the live preview, as a dictionary. Needs no session. A longer path (/1.0/info/x) or a Host
// header too long for the preview address answers unsupported.
class ServiceInfoHandler : public IHandler {
public:
    explicit ServiceInfoHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
