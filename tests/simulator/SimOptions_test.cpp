// The command line of ocucam-sim and the number forms it and the control socket accept.

#include "simulator/SimOptions.h"

#include <gtest/gtest.h>

namespace ocusim {
namespace {

ParseOutcome parse(std::vector<const char*> arguments, SimOptions& options, std::string& message) {
    arguments.insert(arguments.begin(), "ocucam-sim");
    return parseOptions(static_cast<int>(arguments.size()), arguments.data(), options, message);
}

TEST(SimOptions, DefaultsMakeAMonocularUsbCameraWithCurrentFirmware) {
    SimOptions options;
    std::string message;
    ASSERT_EQ(parse({}, options, message), ParseOutcome::Run);
    EXPECT_FALSE(options.binocular);
    EXPECT_FALSE(options.serial());
    EXPECT_EQ(options.firmware, 0x40003u);
    EXPECT_GT(options.driverVersion, 0x30000u);
    EXPECT_EQ(options.captureMs, 1500u);
    EXPECT_EQ(options.baud, 115200u);
}

TEST(SimOptions, EveryOptionIsTaken) {
    SimOptions options;
    std::string message;
    ASSERT_EQ(parse({"--device-dir",
                     "/d",
                     "--model",
                     "bino",
                     "--firmware",
                     "0x2001B",
                     "--driver-version",
                     "0x30000",
                     "--serial-number",
                     "X-1_a.b",
                     "--serial",
                     "/tmp/tty",
                     "--baud",
                     "921600",
                     "--gallery",
                     "/g",
                     "--control",
                     "/c",
                     "--product-id",
                     "0x2104",
                     "--vendor-id",
                     "0x1234",
                     "--capture-ms",
                     "0",
                     "--frame-rate",
                     "60",
                     "--subject",
                     "none",
                     "--doze-ms",
                     "10",
                     "--wake-polls",
                     "7",
                     "--gallery-capacity",
                     "5",
                     "--empty-gallery-status",
                     "0",
                     "--second-firmware",
                     "0x3001D",
                     "--no-pacing",
                     "--quiet"},
                    options, message),
              ParseOutcome::Run)
        << message;
    EXPECT_EQ(options.deviceDir, "/d");
    EXPECT_TRUE(options.binocular);
    EXPECT_EQ(options.firmware, 0x2001Bu);
    EXPECT_EQ(options.driverVersion, 0x30000u);
    EXPECT_EQ(options.serialNumber, "X-1_a.b");
    EXPECT_TRUE(options.serial());
    EXPECT_EQ(options.baud, 921600u);
    EXPECT_EQ(options.galleryFile, "/g");
    EXPECT_EQ(options.controlPath, "/c");
    EXPECT_EQ(options.productId, 0x2104);
    EXPECT_EQ(options.vendorId, 0x1234);
    EXPECT_EQ(options.captureMs, 0u);
    EXPECT_EQ(options.frameRate, 60u);
    EXPECT_EQ(options.subject, "none");
    EXPECT_EQ(options.dozeMs, 10u);
    EXPECT_EQ(options.wakePolls, 7u);
    EXPECT_EQ(options.galleryCapacity, 5u);
    EXPECT_EQ(options.emptyGalleryStatus, 0);
    EXPECT_EQ(options.secondFirmware, 0x3001Du);
    EXPECT_FALSE(options.pacing);
    EXPECT_TRUE(options.quiet);
}

TEST(SimOptions, NumbersInDecimalOrHexadecimal) {
    std::uint32_t value = 0;
    EXPECT_TRUE(parseNumber("0x1F", value));
    EXPECT_EQ(value, 31u);
    EXPECT_TRUE(parseNumber("31", value));
    EXPECT_EQ(value, 31u);
    EXPECT_FALSE(parseNumber("1F", value));
    EXPECT_FALSE(parseNumber("-1", value));
    EXPECT_FALSE(parseNumber("0x", value));
    EXPECT_FALSE(parseNumber("4294967296", value));
    EXPECT_TRUE(parseHex("3008", value));
    EXPECT_EQ(value, 0x3008u);
    EXPECT_TRUE(parseHex("0X3008", value));
    EXPECT_EQ(value, 0x3008u);
    EXPECT_FALSE(parseHex("30 08", value));
    EXPECT_FALSE(parseHex("", value));
}

TEST(SimOptions, HelpAndErrors) {
    SimOptions options;
    std::string message;
    EXPECT_EQ(parse({"--help"}, options, message), ParseOutcome::Help);
    EXPECT_EQ(parse({"--frame-rate", "121"}, options, message), ParseOutcome::Error);
    EXPECT_NE(message.find("--frame-rate"), std::string::npos);
    EXPECT_EQ(parse({"--serial-number", std::string(33, 'a').c_str()}, options, message),
              ParseOutcome::Error);
    EXPECT_EQ(parse({"--product-id", "0x10000"}, options, message), ParseOutcome::Error);
}

}  // namespace
}  // namespace ocusim
