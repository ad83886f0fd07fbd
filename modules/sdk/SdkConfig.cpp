#include "sdk/SdkConfig.h"

namespace sdk {

CamxStatus validateSdkConfig(const SdkConfig& config) {
    if (config.connectionKind != kConnectionUsb && config.connectionKind != kConnectionSerial) {
        return CAMX_INVALID_PARAMETER;
    }
    if (config.connectionKind == kConnectionSerial &&
        (config.baudRate < kMinSerialBaudRate || config.flowControl > 1)) {
        return CAMX_INVALID_PARAMETER;
    }
    return config.resetOnOpen > 1 ? CAMX_INVALID_PARAMETER : CAMX_OK;
}

bool configChangeClosesDevices(const SdkConfig& current, const SdkConfig& next) {
    if (current.connectionKind != next.connectionKind) {
        return true;
    }
    return next.connectionKind == kConnectionSerial && current.baudRate != next.baudRate;
}

}  // namespace sdk
