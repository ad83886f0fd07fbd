#pragma once

#include "capture/IHandler.h"

namespace lensws {

class MetaData;

// /1.0/configure
// GET describes the sensor's configuration (frame size, JPEG qualities with their range,
// thresholds, the formats offered); POST sets thresholds, deduplication and qualities from a
// configuration document:
//   {"configuration": {"item": [{"key": "genuineThreshold", "value": 1.05}, ...]}}
// Both need the session that holds the lock and an initialized sensor.
class ConfigureHandler : public IHandler {
public:
    explicit ConfigureHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
    bool handlePost(CivetServer* server, mg_connection* connection) override;

private:
    // Fills `description` from the controller; the status of the quality query.
    ResultStatus describe(MetaData& description) const;
    ResultStatus configureFrom(mg_connection* connection) const;
};

}  // namespace lensws
