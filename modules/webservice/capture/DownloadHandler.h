#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/download
// Downloads hand out the images and records of a capture, which a later part of the service
// builds; until then both methods answer unsupported.
class DownloadHandler : public IHandler {
public:
    explicit DownloadHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
