#pragma once

#include "capture/IHandler.h"

namespace lensws {

// /1.0/deviceinfo
// GET answers the camera's device information (product, model, optics, serial number, kernel
// and features) as the dictionary "deviceInfo", for the session that holds the lock, once the
// sensor is initialized.
class DeviceHandler : public IHandler {
public:
    explicit DeviceHandler(ServiceContext* context) : IHandler(context) {}

    bool handleGet(CivetServer* server, mg_connection* connection) override;
};

}  // namespace lensws
