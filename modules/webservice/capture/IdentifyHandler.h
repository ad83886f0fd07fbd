#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/identifycapture
// POST captures and searches the camera's gallery for the capture: "captureIds", then
// "identified" with every user nearer than the genuine threshold.
class IdentifyHandler : public IHandler {
public:
    explicit IdentifyHandler(ServiceContext* context) : IHandler(context) {}

    bool handlePost(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
