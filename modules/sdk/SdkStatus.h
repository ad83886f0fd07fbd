#pragma once

// Status codes of the device SDK: 0 is success; 1 to 255 arise in the host SDK, codes from
// 0x1001 upward are the camera's own, carried unchanged in the status field of its replies.
// 0x3007 and 0x3008 are partial successes: the data that follows the reply is still read.

#include <cstdint>

using CamxStatus = std::uint32_t;

constexpr CamxStatus CAMX_OK = 0;
constexpr CamxStatus CAMX_FAILED = 1;
constexpr CamxStatus CAMX_DEVICE_NOT_FOUND = 2;
constexpr CamxStatus CAMX_DEVICE_OPEN_FAILED = 3;
constexpr CamxStatus CAMX_DEVICE_NOT_OPEN = 4;
constexpr CamxStatus CAMX_DEVICE_ALREADY_OPEN = 5;
constexpr CamxStatus CAMX_DEVICE_ACCESS_DENIED = 6;
constexpr CamxStatus CAMX_TOO_MANY_OPEN_DEVICES = 7;
constexpr CamxStatus CAMX_DEVICE_IO_FAILED = 8;
constexpr CamxStatus CAMX_DEVICE_IO_TIMEOUT = 9;
constexpr CamxStatus CAMX_DEVICE_IO_DATA_INVALID = 10;
constexpr CamxStatus CAMX_UNSUPPORTED_IMAGE_FORMAT = 11;
constexpr CamxStatus CAMX_MEMORY_ALLOCATION_FAILED = 12;
constexpr CamxStatus CAMX_INVALID_MEMORY = 13;
constexpr CamxStatus CAMX_INVALID_HANDLE = 14;
constexpr CamxStatus CAMX_INVALID_PARAMETER = 15;
constexpr CamxStatus CAMX_AUTHEN_FAILED = 16;
constexpr CamxStatus CAMX_NOT_ENOUGH_BUFFER = 17;
constexpr CamxStatus CAMX_VERSION_INCOMPATIBLE = 18;
constexpr CamxStatus CAMX_THREAD_FAILED = 19;
constexpr CamxStatus CAMX_UNSUPPORTED_COMMAND = 20;
constexpr CamxStatus CAMX_IMAGE_CORRUPTED = 21;
constexpr CamxStatus CAMX_WRONG_EYE_SUBTYPE = 22;
constexpr CamxStatus CAMX_UNKNOWN_DEVICE = 23;
constexpr CamxStatus CAMX_UNEXPECTED_ERROR = 0xFF;
constexpr CamxStatus CAMX_DEV_OUTOFMEMORY = 0x1001;
constexpr CamxStatus CAMX_DEV_NOT_ENOUGH_MEMORY = 0x1002;
constexpr CamxStatus CAMX_DEV_INSUFFICIENT_BUFFER = 0x1003;
constexpr CamxStatus CAMX_DEV_IO_FAILED = 0x1005;
constexpr CamxStatus CAMX_DEV_MODULE_NOT_FOUND = 0x1006;
constexpr CamxStatus CAMX_DEV_PROC_NOT_FOUND = 0x1007;
constexpr CamxStatus CAMX_DEV_BAD_DATA = 0x1008;
constexpr CamxStatus CAMX_DEV_FUNCTION_DISABLED = 0x1009;
constexpr CamxStatus CAMX_DEV_LOCKED = 0x100A;
constexpr CamxStatus CAMX_DEV_BUSY = 0x100B;
constexpr CamxStatus CAMX_DEV_LOW_BATTERY = 0x1014;
constexpr CamxStatus CAMX_DEV_RUNTIME_EXCEPTION = 0x10FF;
constexpr CamxStatus CAMX_SEC_FAILED = 0x2001;
constexpr CamxStatus CAMX_SEC_INIT_FAILED = 0x2002;
constexpr CamxStatus CAMX_SEC_WRONG_PASSWORD = 0x2003;
constexpr CamxStatus CAMX_SEC_BAD_LEN = 0x2004;
constexpr CamxStatus CAMX_SEC_BAD_DATA = 0x2005;
constexpr CamxStatus CAMX_SEC_BAD_ALG = 0x2006;
constexpr CamxStatus CAMX_SEC_BAD_KEY = 0x2007;
constexpr CamxStatus CAMX_SEC_BAD_SIG = 0x2008;
constexpr CamxStatus CAMX_SEC_ENCRYPT_ERROR = 0x2009;
constexpr CamxStatus CAMX_SEC_DECRYPT_ERROR = 0x200A;
constexpr CamxStatus CAMX_SEC_IMPORT_ERROR = 0x200B;
constexpr CamxStatus CAMX_SEC_EXPORT_ERROR = 0x200C;
constexpr CamxStatus CAMX_SEC_KEYGEN_ERROR = 0x200D;
constexpr CamxStatus CAMX_SEC_HASH_ERROR = 0x200E;
constexpr CamxStatus CAMX_SEC_SIG_ERROR = 0x200F;
constexpr CamxStatus CAMX_SEC_PRIVILEGE_RESTRICTED = 0x2010;
constexpr CamxStatus CAMX_SE_NOT_INIT = 0x3001;
constexpr CamxStatus CAMX_SE_NO_CAM = 0x3002;
constexpr CamxStatus CAMX_SE_STARTSTOP_CAPTURE_FAILED = 0x3003;
constexpr CamxStatus CAMX_SE_QM_FAILED = 0x3004;
constexpr CamxStatus CAMX_SE_NO_FRAME_AVAILABLE = 0x3005;
constexpr CamxStatus CAMX_SE_NO_QUALIFIED_FRAME = 0x3006;
constexpr CamxStatus CAMX_SE_RIGHT_FRAME_UNQUALIFIED = 0x3007;
constexpr CamxStatus CAMX_SE_LEFT_FRAME_UNQUALIFIED = 0x3008;
constexpr CamxStatus CAMX_SE_COMPRESSION_FAILED = 0x3009;
constexpr CamxStatus CAMX_GAL_NOT_INITIALIZED = 0x4001;
constexpr CamxStatus CAMX_GAL_LOAD_FAILED = 0x4002;
constexpr CamxStatus CAMX_GAL_EMPTY = 0x4003;
constexpr CamxStatus CAMX_GAL_FULL = 0x4004;
constexpr CamxStatus CAMX_GAL_ID_NOT_EXIST = 0x4005;
constexpr CamxStatus CAMX_GAL_ID_NOT_ENOUGH_SLOT = 0x4006;
constexpr CamxStatus CAMX_GAL_NOT_ENOUGH_SLOT = 0x4007;
constexpr CamxStatus CAMX_GAL_ID_SLOT_FULL = 0x4008;
constexpr CamxStatus CAMX_GAL_ENROLL_DUPLICATED = 0x4009;
constexpr CamxStatus CAMX_TPL_UNAVAILABLE = 0x5001;
constexpr CamxStatus CAMX_TPL_CORRUPTED = 0x5002;
constexpr CamxStatus CAMX_TPL_GENERATION_FAILED = 0x5003;
constexpr CamxStatus CAMX_TPL_COMPARISON_FAILED = 0x5004;
constexpr CamxStatus CAMX_TPL_TYPE_INVALID = 0x5005;
constexpr CamxStatus CAMX_ALG_VERSION_INVALID = 0x6001;
constexpr CamxStatus CAMX_ALG_FAILED = 0x6002;
constexpr CamxStatus CAMX_ALG_NOT_INIT = 0x6003;
