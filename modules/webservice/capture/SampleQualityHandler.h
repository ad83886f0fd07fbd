#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/samplequality
// GET /1.0/samplequality?capture_id=… answers the camera's quality scores of one image of the
// last capture in "quality". No session is needed.
class SampleQualityHandler : public IHandler {
public:
    explicit SampleQualityHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
