#include "platform/UsbDeviceDirectory.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "platform/FakeUsbDevice.h"
#include "platform/UsbWire.h"
#include "support/TempDir.h"

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UsbDeviceDirectoryTest, TheConfiguredDirectoryComesFirst) {
    ScopedEnv configured("OCUSERVICE_DEVICE_DIR", "/somewhere/devices");
    EXPECT_EQ(platform::defaultDeviceDirectory(), "/somewhere/devices");
}

TEST(UsbDeviceDirectoryTest, WithoutConfigurationTheUsersRuntimeDirectoryIsUsed) {
    ScopedEnv configured("OCUSERVICE_DEVICE_DIR", "");
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1234");
    if (geteuid() == 0) {
        EXPECT_EQ(platform::defaultDeviceDirectory(), "/run/ocuservice/devices");
    } else {
        EXPECT_EQ(platform::defaultDeviceDirectory(), "/run/user/1234/ocuservice/devices");
        ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(platform::defaultDeviceDirectory(),
                  "/tmp/ocuservice-" + std::to_string(geteuid()) + "/devices");
    }
}

TEST(UsbDeviceDirectoryTest, NamesCarryIdentifiersSerialAndClass) {
    EXPECT_EQ(platform::deviceInterfaceName(0x2E4B, 0x2101, "SN-7"),
              "usb#vid_2e4b&pid_2101#SN-7#{573e8c73-0cb4-4471-a1bf-fab26c31d384}");
}

TEST(UsbDeviceDirectoryTest, ListingKeepsCameraSocketsOnlyInNameOrder) {
    testsupport::TempDir dir;
    const std::string b = platform::deviceInterfaceName(0x2E4B, 0x2002, "B");
    const std::string a = platform::deviceInterfaceName(0x2E4B, 0x2001, "A");
    fakes::FakeUsbDevice second(dir.file(b));
    fakes::FakeUsbDevice first(dir.file(a));
    std::ofstream(dir.file(platform::deviceInterfaceName(0x2E4B, 0x2003, "file"))) << "x";
    fakes::FakeUsbDevice other(dir.file("some-other-socket"));

    std::vector<std::string> paths;
    ASSERT_EQ(platform::listDeviceInterfaces(dir.path(), paths), platform::EnumerationResult::Ok);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], dir.file(a));
    EXPECT_EQ(paths[1], dir.file(b));
}

TEST(UsbDeviceDirectoryTest, AMissingDirectoryHoldsNoDevices) {
    testsupport::TempDir dir;
    std::vector<std::string> paths{"stale"};
    EXPECT_EQ(platform::listDeviceInterfaces(dir.file("absent"), paths),
              platform::EnumerationResult::Ok);
    EXPECT_TRUE(paths.empty());
}

TEST(UsbDeviceDirectoryTest, AnUnreadableDirectoryFails) {
    testsupport::TempDir dir;
    std::vector<std::string> paths;
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every directory";
    }
    const std::string locked = dir.file("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0), 0);
    EXPECT_EQ(platform::listDeviceInterfaces(locked, paths), platform::EnumerationResult::Failed);
    chmod(locked.c_str(), 0700);
}

}  // namespace
