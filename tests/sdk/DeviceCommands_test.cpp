#include "sdk/DeviceCommands.h"

#include <gtest/gtest.h>

#include "sdk/LinkFixture.h"
#include "sdk/ProductTable.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;

class DeviceCommandsTest : public fakes::LinkFixture {};

TEST_F(DeviceCommandsTest, ProductIdentifierIsTheWordAtP2) {
    transport.answer(0x10A0, 0, Out().u16(0xFFFF).u16(0x2101).bytes);
    std::uint16_t productId = 0;
    ASSERT_EQ(sdk::readProductId(link, &productId), CAMX_OK);
    EXPECT_EQ(productId, 0x2101);
    EXPECT_EQ(transport.commands[0].length, 12u);
    transport.answer(0x10A0, 0, Out().u16(0).bytes);
    EXPECT_EQ(sdk::readProductId(link, &productId), CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(DeviceCommandsTest, SerialFirmwareVersionHasAnOptionalSecondWord) {
    link.kind = sdk::LinkKind::Serial;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    transport.answer(0x10A1, 0, Out().u32(0x2001C).bytes);
    ASSERT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_OK);
    EXPECT_EQ(first, 0x2001Cu);
    EXPECT_EQ(second, 0u);

    transport.answer(0x10A1, 0, Out().u32(0x30017).u32(0x40001).bytes);
    ASSERT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_OK);
    EXPECT_EQ(first, 0x30017u);
    EXPECT_EQ(second, 0x40001u);

    transport.answer(0x10A1, 0, Out().u32(0x30017).u16(1).bytes);  // a second word cut short
    EXPECT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x10A1, 0, Out().u16(1).bytes);
    EXPECT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(DeviceCommandsTest, UsbFirmwareVersionComesFromTheDriver) {
    transport.firmwareStatus = CAMX_OK;
    transport.firmwareFirst = 0x30017;
    transport.firmwareSecond = 0x40002;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    ASSERT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_OK);
    EXPECT_EQ(first, 0x30017u);
    EXPECT_EQ(second, 0x40002u);
    EXPECT_TRUE(transport.commands.empty());
    transport.firmwareStatus = CAMX_DEVICE_IO_FAILED;
    EXPECT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_DEVICE_IO_FAILED);
}

TEST_F(DeviceCommandsTest, ResetAtOpenSendsThreeCommandsUnderItsTimeOutsIgnoringFailures) {
    transport.answer(0x200A, 0x3003);
    transport.answer(0x9005, 0);  // 0x200B is not answered at all
    sdk::resetAtOpen(link);
    EXPECT_EQ(transport.codes(), (std::vector<std::uint16_t>{0x200A, 0x200B, 0x9005}));
    EXPECT_EQ(transport.commands[1].length, 13u);
    EXPECT_EQ(transport.commands[1].parameters[0], 0);
    EXPECT_EQ(transport.count("timeout 2000"), 3u);
    EXPECT_EQ(transport.events.back(), "timeout 10000");
    EXPECT_EQ(transport.timeout(), 10000u);
    EXPECT_EQ(link.timeoutMs, 0u);  // the next command applies the default again
}

TEST_F(DeviceCommandsTest, DeviceStateCarriesKindMinusTwoValueAndDuration) {
    transport.answer(0x5001, 0);
    ASSERT_EQ(sdk::sendDeviceState(link, 2, 0, 1000), CAMX_OK);
    EXPECT_EQ(sentParameters(), (Bytes{0, 0, 0xE8, 0x03, 0, 0}));
}

Bytes deviceInfoData(const std::string& serial) {
    return Out()
        .u32(3)
        .raw({'a', 'b', 'c'})
        .u32(static_cast<std::uint32_t>(serial.size()))
        .raw(Bytes(serial.begin(), serial.end()))
        .fill(0xA1, 2)
        .fill(0xA2, 8)
        .u32(1)
        .u8(0xB0)
        .fill(0xA3, 8)
        .u32(0)
        .fill(0xA4, 8)
        .u32(0x00010203)
        .u32(7)
        .u32(0x1F)
        .bytes;
}

TEST_F(DeviceCommandsTest, DeviceInformationIsParsedAndCompletedFromTheProductTable) {
    const Bytes data = deviceInfoData("SN0123456789ABCDEF");  // 18 characters, 16 kept
    transport.answer(0x1005, 0, Out().u32(static_cast<std::uint32_t>(data.size())).bytes, {data});
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::readDeviceInfo(link, 0x2101, buffer, &info), CAMX_OK);
    EXPECT_EQ(info.productId, 0x2101u);
    EXPECT_STREQ(info.modelName, sdk::findProduct(0x2101)->modelName);
    EXPECT_EQ(info.typeCode, sdk::findProduct(0x2101)->typeCode);
    EXPECT_EQ(info.binocular, 1);
    EXPECT_STREQ(info.serialNumber, "SN0123456789ABCD");
    EXPECT_EQ(info.kernelVersion, 0x00010203u);
    EXPECT_EQ(info.kernelRevision, 7u);
    EXPECT_EQ(info.features, 0x1Fu);
}

TEST_F(DeviceCommandsTest, AnUnknownProductFailsBeforeAnyTraffic) {
    sdk::DeviceInfo info;
    EXPECT_EQ(sdk::readDeviceInfo(link, 0x1234, buffer, &info), CAMX_UNKNOWN_DEVICE);
    EXPECT_TRUE(transport.events.empty());
}

// Every cut of the data, and every announced length made to lie, is caught.
TEST_F(DeviceCommandsTest, ShortOrLyingDeviceInformationIsInvalid) {
    const Bytes data = deviceInfoData("SN1");
    sdk::DeviceInfo info;
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        EXPECT_EQ(sdk::decodeDeviceInfo(data.data(), cut, &info), CAMX_DEVICE_IO_DATA_INVALID)
            << "cut at " << cut;
    }
    ASSERT_EQ(sdk::decodeDeviceInfo(data.data(), data.size(), &info), CAMX_OK);
    // The four length fields sit at these offsets.
    for (std::size_t lengthAt : {0u, 7u, 24u, 37u}) {
        for (std::uint32_t lie : {0x01000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            Bytes corrupt = data;
            for (int i = 0; i < 4; ++i) {
                corrupt[lengthAt + i] = static_cast<std::uint8_t>(lie >> (8 * i));
            }
            EXPECT_EQ(sdk::decodeDeviceInfo(corrupt.data(), corrupt.size(), &info),
                      CAMX_DEVICE_IO_DATA_INVALID)
                << "length at " << lengthAt;
        }
    }
}

TEST_F(DeviceCommandsTest, EveryByteFlipOfDeviceInformationParsesOrFailsCleanly) {
    const Bytes data = deviceInfoData("SERIAL");
    for (std::size_t offset = 0; offset < data.size(); ++offset) {
        Bytes corrupt = data;
        corrupt[offset] ^= 0xFF;
        sdk::DeviceInfo info;
        const CamxStatus status = sdk::decodeDeviceInfo(corrupt.data(), corrupt.size(), &info);
        EXPECT_TRUE(status == CAMX_OK || status == CAMX_DEVICE_IO_DATA_INVALID);
        EXPECT_LE(std::strlen(info.serialNumber), 16u);
    }
}

TEST_F(DeviceCommandsTest, DeviceInformationFailuresPassThrough) {
    sdk::DeviceInfo info;
    transport.answer(0x1005, 0x1005);
    EXPECT_EQ(sdk::readDeviceInfo(link, 0x2001, buffer, &info), CAMX_DEV_IO_FAILED);
    const Bytes data = deviceInfoData("X");
    transport.answer(0x1005, 0, Out().u32(10).bytes, {Bytes(data.begin(), data.begin() + 10)});
    EXPECT_EQ(sdk::readDeviceInfo(link, 0x2001, buffer, &info), CAMX_DEVICE_IO_DATA_INVALID);
}

}  // namespace
