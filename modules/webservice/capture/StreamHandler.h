#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/getstream
// Preview snapshots come from a running capture, which a later part of the service builds; until
// then the request answers unsupported.
class StreamHandler : public IHandler {
public:
    explicit StreamHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
