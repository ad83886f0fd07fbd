#include "sdk/SdkStatusName.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(SdkStatusName, NamesEveryCode) {
    EXPECT_STREQ(sdk::sdkStatusName(0), "CAMX_OK");
    EXPECT_STREQ(sdk::sdkStatusName(2), "CAMX_DEVICE_NOT_FOUND");
    EXPECT_STREQ(sdk::sdkStatusName(23), "CAMX_UNKNOWN_DEVICE");
    EXPECT_STREQ(sdk::sdkStatusName(0xFF), "CAMX_UNEXPECTED_ERROR");
    EXPECT_STREQ(sdk::sdkStatusName(0x10FF), "CAMX_DEV_RUNTIME_EXCEPTION");
    EXPECT_STREQ(sdk::sdkStatusName(0x2010), "CAMX_SEC_PRIVILEGE_RESTRICTED");
    EXPECT_STREQ(sdk::sdkStatusName(0x3009), "CAMX_SE_COMPRESSION_FAILED");
    EXPECT_STREQ(sdk::sdkStatusName(0x4005), "CAMX_GAL_ID_NOT_EXIST");
    EXPECT_STREQ(sdk::sdkStatusName(0x5005), "CAMX_TPL_TYPE_INVALID");
    EXPECT_STREQ(sdk::sdkStatusName(0x6003), "CAMX_ALG_NOT_INIT");
    // Every code from 0 to 23 has a name of its own.
    for (CamxStatus status = 0; status <= 23; ++status) {
        EXPECT_EQ(std::string(sdk::sdkStatusName(status)).rfind("CAMX_", 0), 0u) << status;
    }
}

TEST(SdkStatusName, OtherValuesAreFormatted) {
    EXPECT_STREQ(sdk::sdkStatusName(0x7777), "Error Code: 0x7777");
    EXPECT_STREQ(sdk::sdkStatusName(24), "Error Code: 0x18");
    EXPECT_STREQ(sdk::sdkStatusName(0x1004), "Error Code: 0x1004");
    EXPECT_STREQ(sdk::sdkStatusName(0xFFFFFFFF), "Error Code: 0xffffffff");
}

// Each thread formats into its own buffer: texts asked for at the same time never mix.
TEST(SdkStatusNameConcurrency, ThreadsSeeTheirOwnText) {
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &mismatches]() {
            const CamxStatus status = 0x7000 + static_cast<CamxStatus>(t);
            char expected[32];
            std::snprintf(expected, sizeof expected, "Error Code: 0x%x", status);
            for (int i = 0; i < 2000; ++i) {
                if (std::string(sdk::sdkStatusName(status)) != expected) {
                    ++mismatches[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(mismatches[t], 0) << t;
    }
}

}  // namespace
