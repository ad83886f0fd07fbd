#include "web/ResultStatus.h"

namespace lensws {

namespace {

struct StatusText {
    const char* name;
    const char* message;
};

constexpr StatusText kTexts[] = {
    {"success", "success"},
    {"failure", "failure"},
    {"invalidId", "Invalid ID (either not found, expired or not registered)"},
    {"canceled", "canceled"},
    {"canceledWithSensorFailure", "canceledWithSensorFailure"},
    {"sensorFailure", "sensorFailure"},
    {"lockNotHeld", "Lock is not held by the requesting session"},
    {"lockHeldByAnother", "Lock is held by another session"},
    {"initializationNeeded", "initializationNeeded"},
    {"configurationNeeded", "configurationNeeded"},
    {"sensorBusy", "sensorBusy"},
    {"sensorTimeout", "sensorTimeout"},
    {"unsupported", "unsupported"},
    {"badValue", "badValue"},
    {"noSuchParamter", "noSuchParamter"},
    {"preparingDownload", "preparingDownload"},
    {"nocapturing", "noCapturing"},
    {"invalidParameter", "Invalid parameter"},
    {"memoryAllocationFailed", "Memory allocation failed"},
    {"duplicatedEnrollment", "Duplicated enrollment"},
    {"duplicatedToken", "Duplicated token"},
};

constexpr StatusText kUnknown = {"unknown", "unknown"};

const StatusText& textOf(ResultStatus status) {
    const auto code = static_cast<std::int32_t>(status);
    if (code < 0 || code >= static_cast<std::int32_t>(sizeof(kTexts) / sizeof(kTexts[0]))) {
        return kUnknown;
    }
    return kTexts[code];
}

}  // namespace

const char* resultStatusName(ResultStatus status) {
    return textOf(status).name;
}

const char* resultStatusMessage(ResultStatus status) {
    return textOf(status).message;
}

}  // namespace lensws
