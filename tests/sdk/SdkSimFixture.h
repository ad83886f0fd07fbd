#pragma once

// A test fixture for the SDK against ocucam-sim: a temporary device directory that the SDK
// uses, simulated cameras started in it, and an SDK reset to its defaults before and after
// each test (every device closed before the simulators stop).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sdk/Sdk.h"
#include "sdk/SimulatorProcess.h"

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
    SimulatorProcess& addCamera(SimulatorOptions options = SimulatorOptions()) {
        cameras.push_back(std::make_unique<SimulatorProcess>(dir.path(), std::move(options)));
        SimulatorProcess& camera = *cameras.back();
        EXPECT_TRUE(camera.start()) << camera.error();
        return camera;
    }

    static SimulatorOptions serialNumbered(int n, const std::string& model = "mono") {
        SimulatorOptions options;
        options.model = model;
        options.serialNumber = "SIM0000" + std::to_string(n);
        return options;
    }

    // A serial camera linked at <dir>/<name>.
    SimulatorOptions serialCamera(const std::string& name, std::uint32_t baud = 0) {
        SimulatorOptions options;
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

    TempDir dir;
    std::vector<std::unique_ptr<SimulatorProcess>> cameras;
};

}  // namespace simtest
