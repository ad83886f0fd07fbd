#pragma once

// The device SDK: a flat set of functions over opaque device handles. Every function returns a
// status code (0 = CAMX_OK; see SdkStatus.h and sdkStatusName) and never throws.

#include "sdk/SdkCamera.h"
#include "sdk/SdkCapture.h"
#include "sdk/SdkDevices.h"
#include "sdk/SdkGallery.h"
#include "sdk/SdkResults.h"
#include "sdk/SdkStatusName.h"
#include "sdk/SdkVersion.h"
