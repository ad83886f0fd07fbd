#include "sdk/CCommObj.h"

namespace sdk {

CamxStatus CCommObj::close() {
    if (!isOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    closeHandle();
    path_.clear();
    return CAMX_OK;
}

void CCommObj::discardInput() {}

CamxStatus CCommObj::vendorRequest(bool, std::uint8_t, std::uint32_t*) {
    return CAMX_UNSUPPORTED_COMMAND;
}

CamxStatus CCommObj::firmwareVersion(std::uint32_t*, std::uint32_t*) {
    return CAMX_UNSUPPORTED_COMMAND;
}

}  // namespace sdk
