#pragma once

// A test fixture for the SDK against ocucam-sim: a temporary device directory that the SDK
// uses, simulated cameras started in it, and an SDK reset to its defaults before and after
// each test (every device closed before the simulators stop).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sdk/Sdk.h"
#include "sdk/SimCamera.h"
#include "support/TempDir.h"

namespace simtest {

class SdkSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        useDeviceDirectory(dir.path());
        resetSdk();
    }

    void TearDown() override { resetSdk(); }

    static void resetSdk() {
        sdk::sdkInit();
        ASSERT_EQ(sdk::sdkSetConfig(sdk::SdkConfig()), CAMX_OK);
    }

    // Starts a simulated camera in the device directory; fails the test when it cannot.
    SimCamera& addCamera(SimCameraOptions options = SimCameraOptions()) {
        cameras.push_back(std::make_unique<SimCamera>(dir.path(), std::move(options)));
        SimCamera& camera = *cameras.back();
        EXPECT_TRUE(camera.start()) << camera.error();
        return camera;
    }

    // Waits (up to two seconds) until the camera has seen its host go: the simulator notices a
    // closed connection in its own time.
    static bool released(const SimCamera& camera) {
        for (int i = 0; i < 1000; ++i) {
            if (camera.state("open") == "0") {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    static SimCameraOptions serialNumbered(int n, const std::string& model = "mono") {
        SimCameraOptions options;
        options.model = model;
        options.serialNumber = "SIM0000" + std::to_string(n);
        return options;
    }

    // A serial camera linked at <dir>/<name>.
    SimCameraOptions serialCamera(const std::string& name, std::uint32_t baud = 0) {
        SimCameraOptions options;
        options.serialNumber = "SER" + name;
        options.serialLink = dir.path() + "/" + name;
        options.baud = baud;
        return options;
    }

    // Sets the SDK to a serial line at `baud`.
    static void useSerial(std::uint32_t baud = sdk::kDefaultBaudRate) {
        sdk::SdkConfig config;
        config.connectionKind = sdk::kConnectionSerial;
        config.baudRate = baud;
        ASSERT_EQ(sdk::sdkSetConfig(config), CAMX_OK);
    }

    testsupport::TempDir dir;
    std::vector<std::unique_ptr<SimCamera>> cameras;
};

}  // namespace simtest
