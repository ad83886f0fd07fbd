#pragma once

#include "sdk/SdkStatus.h"

namespace sdk {

// The name of a status code ("CAMX_GAL_ID_NOT_EXIST" for 0x4005). Any other value gives
// "Error Code: 0x<hex>", formatted into a buffer of the calling thread that the next such call
// on the same thread overwrites.
const char* sdkStatusName(CamxStatus status);

}  // namespace sdk
