#include "sdk/ConfigCommands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "sdk/LinkFixture.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

sdk::CameraConfig validConfig() {
    sdk::CameraConfig c;
    c.field1 = 1;
    c.deduplicateOnEnroll = 1;
    c.imposterThreshold = 1.1f;
    c.field4 = 0.9f;
    c.field5 = 1;
    c.field6 = 0;
    c.field7 = 1;
    c.field8 = 4;
    c.field9 = 2;
    c.field10 = 80;
    c.field11 = 0xDEADBEEF;
    c.field12 = 1;
    c.field13 = 1;
    c.field14 = 0.5f;
    c.field15 = 1.0f;
    c.field16 = 9;
    c.field17 = 4;
    c.field18 = 12;
    return c;
}

class ConfigCommandsTest : public fakes::LinkFixture {
protected:
    void acknowledgeWrites() {
        transport.on(0x10C1, [](FakeTransport& t, const FakeTransport::Command&) {
            t.queue(fakes::replyBlock(0x10C1, 0));
            t.queue(fakes::replyBlock(0x10C1, 0));
        });
    }
};

TEST_F(ConfigCommandsTest, FirmwareBefore2001CWritesTwentyBytes) {
    link.firmwareVersion = 0x2001B;
    acknowledgeWrites();
    ASSERT_EQ(sdk::writeCameraConfig(link, validConfig()), CAMX_OK);
    ASSERT_EQ(transport.dataWrites.size(), 1u);
    EXPECT_EQ(transport.dataWrites[0].size(), 20u);
    EXPECT_EQ(sentParameters(), (Bytes{20, 0, 0, 0}));
    const Bytes expected = Out()
                               .u8(1)
                               .u8(1)
                               .f32(1.1f)
                               .f32(0.9f)
                               .u8(1)
                               .u8(0)
                               .u8(1)
                               .u8(4)
                               .u8(2)
                               .u8(80)
                               .u32(0xDEADBEEF)
                               .bytes;
    EXPECT_EQ(transport.dataWrites[0], expected);
}

TEST_F(ConfigCommandsTest, Firmware2001CWritesFortySixBytesWithZeroReservedWords) {
    link.firmwareVersion = 0x2001C;
    acknowledgeWrites();
    sdk::CameraConfig config = validConfig();
    config.reserved[0] = 5;  // never sent
    ASSERT_EQ(sdk::writeCameraConfig(link, config), CAMX_OK);
    ASSERT_EQ(transport.dataWrites.size(), 1u);
    const Bytes& data = transport.dataWrites[0];
    ASSERT_EQ(data.size(), 46u);
    EXPECT_EQ(sentParameters(), (Bytes{46, 0, 0, 0}));
    EXPECT_EQ(data[20], 1);
    EXPECT_EQ(data[21], 1);
    EXPECT_EQ(data[30], 9);
    EXPECT_EQ(data[31], 4);
    EXPECT_EQ(data[32], 12);
    EXPECT_EQ(Bytes(data.begin() + 34, data.end()), Bytes(12, 0));
}

TEST_F(ConfigCommandsTest, ReadingFollowsTheFirmwaresLayout) {
    sdk::CameraConfig written = validConfig();
    for (std::uint32_t firmware : {0x2001Bu, 0x2001Cu, 0x3FFFFu, 0x40000u}) {
        SCOPED_TRACE(firmware);
        std::uint8_t data[sdk::kConfigSizeExtended];
        const std::size_t size = sdk::encodeCameraConfig(written, firmware, data);
        sdk::CameraConfig read;
        ASSERT_EQ(sdk::decodeCameraConfig(data, size, firmware, &read), CAMX_OK);
        EXPECT_EQ(read.field1, written.field1);
        EXPECT_EQ(read.deduplicateOnEnroll, 1);
        EXPECT_FLOAT_EQ(read.imposterThreshold, 1.1f);
        EXPECT_EQ(read.field11, 0xDEADBEEFu);
        if (firmware < 0x2001C) {
            EXPECT_EQ(read.field12, 0);
            EXPECT_EQ(read.field16, 0);
        } else {
            EXPECT_EQ(read.field12, 1);
            EXPECT_FLOAT_EQ(read.field15, 1.0f);
            EXPECT_EQ(read.field16, 9);
        }
        // Fields 17 and 18 exist from firmware 0x40000; earlier firmware stands for 2 and 0.
        EXPECT_EQ(read.field17, firmware >= 0x40000 ? 4 : 2);
        EXPECT_EQ(read.field18, firmware >= 0x40000 ? 12 : 0);
    }
}

TEST_F(ConfigCommandsTest, ReservedWordsAreReadWhereTheFirmwareKeepsThem) {
    Bytes data(46, 0);
    data[30] = 0x11;  // field16, and the first reserved word's low byte before 0x40000
    data[34] = 0x22;
    sdk::CameraConfig read;
    ASSERT_EQ(sdk::decodeCameraConfig(data.data(), 46, 0x2001C, &read), CAMX_OK);
    EXPECT_EQ(read.reserved[0], 0x11u);
    ASSERT_EQ(sdk::decodeCameraConfig(data.data(), 46, 0x40000, &read), CAMX_OK);
    EXPECT_EQ(read.reserved[0], 0x22u);
}

TEST_F(ConfigCommandsTest, ShortConfigurationDataIsInvalid) {
    transport.answer(0x10C0, 0, Out().u32(19).bytes, {Bytes(19, 1)});
    sdk::CameraConfig config;
    link.firmwareVersion = 0x2001B;
    EXPECT_EQ(sdk::readCameraConfig(link, buffer, &config), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x10C0, 0, Out().u32(20).bytes, {Bytes(20, 1)});
    EXPECT_EQ(sdk::readCameraConfig(link, buffer, &config), CAMX_OK);
    link.firmwareVersion = 0x2001C;
    EXPECT_EQ(sdk::readCameraConfig(link, buffer, &config), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x10C0, 0x4001);
    EXPECT_EQ(sdk::readCameraConfig(link, buffer, &config), CAMX_GAL_NOT_INITIALIZED);
}

struct Rule {
    const char* name;
    std::uint32_t firmware;
    std::function<void(sdk::CameraConfig&)> breakIt;
};

class ConfigValidationTest : public ConfigCommandsTest,
                             public ::testing::WithParamInterface<Rule> {};

TEST_P(ConfigValidationTest, RefusesTheFieldAndSendsNothing) {
    const Rule rule = GetParam();
    link.firmwareVersion = rule.firmware;
    sdk::CameraConfig config = validConfig();
    ASSERT_EQ(sdk::validateCameraConfig(config, rule.firmware, sdk::LinkKind::Usb), CAMX_OK);
    rule.breakIt(config);
    EXPECT_EQ(sdk::writeCameraConfig(link, config), CAMX_INVALID_PARAMETER);
    EXPECT_TRUE(transport.events.empty());
}

const float kNaN = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    Rules, ConfigValidationTest,
    ::testing::Values(
        Rule{"field1", 0x2001B, [](sdk::CameraConfig& c) { c.field1 = 2; }},
        Rule{"dedup", 0x2001B, [](sdk::CameraConfig& c) { c.deduplicateOnEnroll = 2; }},
        Rule{"threshold0", 0x2001B, [](sdk::CameraConfig& c) { c.imposterThreshold = 0; }},
        Rule{"threshold2", 0x2001B, [](sdk::CameraConfig& c) { c.imposterThreshold = 2; }},
        Rule{"thresholdNaN", 0x2001B, [](sdk::CameraConfig& c) { c.imposterThreshold = kNaN; }},
        Rule{"field4", 0x2001B, [](sdk::CameraConfig& c) { c.field4 = -0.5f; }},
        Rule{"field5", 0x2001B, [](sdk::CameraConfig& c) { c.field5 = 2; }},
        Rule{"field6", 0x2001B, [](sdk::CameraConfig& c) { c.field6 = 7; }},
        Rule{"field7", 0x2001B, [](sdk::CameraConfig& c) { c.field7 = 2; }},
        Rule{"field8", 0x2001B, [](sdk::CameraConfig& c) { c.field8 = 3; }},
        Rule{"field8zero", 0x2001B, [](sdk::CameraConfig& c) { c.field8 = 0; }},
        Rule{"field9serial", 0x2001B, [](sdk::CameraConfig& c) { c.field9 = 6; }},
        Rule{"field10low", 0x2001B, [](sdk::CameraConfig& c) { c.field10 = 0; }},
        Rule{"field10high", 0x2001B, [](sdk::CameraConfig& c) { c.field10 = 101; }},
        Rule{"field12", 0x2001C, [](sdk::CameraConfig& c) { c.field12 = 2; }},
        Rule{"field14", 0x2001C, [](sdk::CameraConfig& c) { c.field14 = 0; }},
        Rule{"field15", 0x2001C, [](sdk::CameraConfig& c) { c.field15 = 1.01f; }},
        Rule{"field17", 0x40000, [](sdk::CameraConfig& c) { c.field17 = 3; }},
        Rule{"field18", 0x40000, [](sdk::CameraConfig& c) { c.field18 = 9; }},
        Rule{"field18one", 0x40000, [](sdk::CameraConfig& c) { c.field18 = 1; }}),
    [](const ::testing::TestParamInfo<Rule>& param) { return std::string(param.param.name); });

TEST_F(ConfigCommandsTest, LaterFieldsAreOnlyCheckedOnFirmwareThatHasThem) {
    sdk::CameraConfig config = validConfig();
    config.field12 = 5;
    config.field17 = 3;
    EXPECT_EQ(sdk::validateCameraConfig(config, 0x2001B, sdk::LinkKind::Usb), CAMX_OK);
    config.field12 = 1;
    EXPECT_EQ(sdk::validateCameraConfig(config, 0x3FFFF, sdk::LinkKind::Usb), CAMX_OK);
    config.field13 = 0;
    config.field14 = 5;  // unchecked while field13 is clear
    config.field17 = 2;
    config.field18 = 10;
    EXPECT_EQ(sdk::validateCameraConfig(config, 0x40000, sdk::LinkKind::Usb), CAMX_OK);
    config.field9 = 6;
    EXPECT_EQ(sdk::validateCameraConfig(config, 0x40000, sdk::LinkKind::Serial), CAMX_OK);
    EXPECT_EQ(sdk::validateCameraConfig(config, 0x40000, sdk::LinkKind::Usb),
              CAMX_INVALID_PARAMETER);
}

}  // namespace
