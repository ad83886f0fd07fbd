#include "sdk/ScanList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/UsbDeviceDirectory.h"
#include "sdk/ProductTable.h"

namespace {

std::string pathOf(std::uint16_t vendor, std::uint16_t product, const std::string& serial) {
    return "/dev/cams/" + platform::deviceInterfaceName(vendor, product, serial);
}

TEST(ScanListIds, ReadsHexAfterTheFirstMarkers) {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    ASSERT_TRUE(sdk::parseDeviceIds(pathOf(0x2E4B, 0x2101, "A"), &vendor, &product));
    EXPECT_EQ(vendor, 0x2E4B);
    EXPECT_EQ(product, 0x2101);
    ASSERT_TRUE(sdk::parseDeviceIds("x/usb#vid_2E4B&pid_2001#vid_1111", &vendor, &product));
    EXPECT_EQ(vendor, 0x2E4B);
    EXPECT_FALSE(sdk::parseDeviceIds("usb#vid_&pid_2001", &vendor, &product));
    EXPECT_FALSE(sdk::parseDeviceIds("usb#vid_2e4b", &vendor, &product));
    EXPECT_FALSE(sdk::parseDeviceIds("usb#vid_12345&pid_2001", &vendor, &product));
}

TEST(ScanListBuild, KeepsTheMakersAcceptedCamerasUpToFive) {
    std::vector<std::string> paths = {
        pathOf(0x1234, 0x2001, "foreign"),  // another maker
        pathOf(sdk::kVendorId, 0x2999, "unknown"),
        "/dev/cams/not-a-camera",
    };
    for (int i = 0; i < 7; ++i) {
        paths.push_back(pathOf(sdk::kVendorId, sdk::kProducts[i].productId, std::to_string(i)));
    }
    sdk::ScanList list;
    ASSERT_EQ(list.rebuild(paths), 5u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const sdk::ScanEntry& entry = list.entry(i);
        EXPECT_EQ(entry.productId, sdk::kProducts[i].productId);
        EXPECT_STREQ(entry.modelName, sdk::kProducts[i].modelName);
        EXPECT_EQ(std::string(entry.displayName),
                  std::string(sdk::kProducts[i].modelName) + " #" + std::to_string(i + 1));
        EXPECT_STREQ(list.names()[i], entry.displayName);
    }
    EXPECT_TRUE(list.containsPath(paths[3]));
    EXPECT_FALSE(list.containsPath(paths[9]));  // the sixth accepted camera
    EXPECT_FALSE(list.containsPath(paths[0]));
}

TEST(ScanListBuild, FindsDisplayAndModelNamesIgnoringCaseLastMatchWinning) {
    const std::vector<std::string> paths = {pathOf(sdk::kVendorId, 0x2001, "a"),
                                            pathOf(sdk::kVendorId, 0x2001, "b"),
                                            pathOf(sdk::kVendorId, 0x2003, "c")};
    sdk::ScanList list;
    ASSERT_EQ(list.rebuild(paths), 3u);
    EXPECT_EQ(list.find("TAVISOR CMX-2000 #1"), 0);
    EXPECT_EQ(list.find("tavisor cmx-2000"), 1);  // both match the model; the last wins
    EXPECT_EQ(list.find("Tavisor CMX-2100"), 2);
    EXPECT_EQ(list.find("Tavisor CMX-2100 #1"), -1);
    EXPECT_EQ(list.find(""), -1);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_STREQ(list.names()[0], "");
}

}  // namespace
