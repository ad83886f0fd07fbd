#include "web/ResultStatus.h"

#include <gtest/gtest.h>

namespace {

using lensws::ResultStatus;

struct Row {
    ResultStatus status;
    int value;
    const char* name;
    const char* message;
};

const Row kVocabulary[] = {
    {ResultStatus::success, 0, "success", "success"},
    {ResultStatus::failure, 1, "failure", "failure"},
    {ResultStatus::invalidId, 2, "invalidId",
     "Invalid ID (either not found, expired or not registered)"},
    {ResultStatus::canceled, 3, "canceled", "canceled"},
    {ResultStatus::canceledWithSensorFailure, 4, "canceledWithSensorFailure",
     "canceledWithSensorFailure"},
    {ResultStatus::sensorFailure, 5, "sensorFailure", "sensorFailure"},
    {ResultStatus::lockNotHeld, 6, "lockNotHeld", "Lock is not held by the requesting session"},
    {ResultStatus::lockHeldByAnother, 7, "lockHeldByAnother", "Lock is held by another session"},
    {ResultStatus::initializationNeeded, 8, "initializationNeeded", "initializationNeeded"},
    {ResultStatus::configurationNeeded, 9, "configurationNeeded", "configurationNeeded"},
    {ResultStatus::sensorBusy, 10, "sensorBusy", "sensorBusy"},
    {ResultStatus::sensorTimeout, 11, "sensorTimeout", "sensorTimeout"},
    {ResultStatus::unsupported, 12, "unsupported", "unsupported"},
    {ResultStatus::badValue, 13, "badValue", "badValue"},
    {ResultStatus::noSuchParamter, 14, "noSuchParamter", "noSuchParamter"},
    {ResultStatus::preparingDownload, 15, "preparingDownload", "preparingDownload"},
    {ResultStatus::nocapturing, 16, "nocapturing", "noCapturing"},
    {ResultStatus::invalidParameter, 17, "invalidParameter", "Invalid parameter"},
    {ResultStatus::memoryAllocationFailed, 18, "memoryAllocationFailed",
     "Memory allocation failed"},
    {ResultStatus::duplicatedEnrollment, 19, "duplicatedEnrollment", "Duplicated enrollment"},
    {ResultStatus::duplicatedToken, 20, "duplicatedToken", "Duplicated token"},
};

TEST(ResultStatus, EveryValueHasItsNameAndMessage) {
    for (const Row& row : kVocabulary) {
        EXPECT_EQ(static_cast<int>(row.status), row.value);
        EXPECT_STREQ(lensws::resultStatusName(row.status), row.name);
        EXPECT_STREQ(lensws::resultStatusMessage(row.status), row.message);
    }
}

TEST(ResultStatus, ValuesOutsideTheVocabularyAreUnknown) {
    for (int value : {-1, 21, 100, -2147483647 - 1, 2147483647}) {
        const auto status = static_cast<ResultStatus>(value);
        EXPECT_STREQ(lensws::resultStatusName(status), "unknown");
        EXPECT_STREQ(lensws::resultStatusMessage(status), "unknown");
    }
}

}  // namespace
