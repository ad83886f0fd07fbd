#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/samplequality
// Sample-quality scores come from a running capture, which a later part of the service builds;
// until then the request answers unsupported.
class SampleQualityHandler : public IHandler {
public:
    explicit SampleQualityHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
