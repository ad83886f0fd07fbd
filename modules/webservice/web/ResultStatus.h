#pragma once

#include <cstdint>

namespace lensws {

// The outcome vocabulary of every JSON answer ("status" carries the name). The service reports
// its outcomes as these values, never as exceptions.
enum class ResultStatus : std::int32_t {
    success = 0,
    failure = 1,
    invalidId = 2,
    canceled = 3,
    canceledWithSensorFailure = 4,
    sensorFailure = 5,
    lockNotHeld = 6,
    lockHeldByAnother = 7,
    initializationNeeded = 8,
    configurationNeeded = 9,
    sensorBusy = 10,
    sensorTimeout = 11,
    unsupported = 12,
    badValue = 13,
    noSuchParamter = 14,
    preparingDownload = 15,
    nocapturing = 16,
    invalidParameter = 17,
    memoryAllocationFailed = 18,
    duplicatedEnrollment = 19,
    duplicatedToken = 20,
};

// The name sent in "status"; "unknown" for a value outside the vocabulary. Static text.
const char* resultStatusName(ResultStatus status);
// The default "message" text; "unknown" for a value outside the vocabulary. Static text.
const char* resultStatusMessage(ResultStatus status);

}  // namespace lensws
