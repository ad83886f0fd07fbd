// Identity, configuration and power commands, and how firmware versions change them.

#include "simulator/DeviceCommands.h"

#include <gtest/gtest.h>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteReader.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::KitOptions;
using test::u32At;

CameraKit kitWithFirmware(std::uint32_t firmware, LinkKind link = LinkKind::Usb) {
    KitOptions options;
    options.firmware = firmware;
    options.link = link;
    return CameraKit(options);
}

TEST(DeviceCommands, ConfigurationSizeFollowsTheFirmware) {
    struct Case {
        std::uint32_t firmware;
        std::size_t size;
    };
    for (const Case& c : {Case{0x2001B, 20}, Case{0x2001C, 46}, Case{0x3FFFF, 46},
                          Case{0x40000, 46}, Case{0x00000003, 20}}) {
        CameraKit kit = kitWithFirmware(c.firmware);
        const CommandOutcome read = kit.run(cmd::kReadCameraConfig);
        ASSERT_EQ(read.status, CAMX_OK);
        EXPECT_EQ(read.data.size(), c.size) << std::hex << c.firmware;
        EXPECT_EQ(u32At(read.results, 0), c.size);
        // Writing back what was read is always accepted.
        std::vector<std::uint8_t> params = {static_cast<std::uint8_t>(c.size), 0, 0, 0};
        EXPECT_EQ(kit.runWithData(cmd::kWriteCameraConfig, params, read.data).status, CAMX_OK);
        // The other size is refused before the data phase.
        params[0] = c.size == 20 ? 46 : 20;
        EXPECT_EQ(kit.run(cmd::kWriteCameraConfig, params).status, CAMX_INVALID_PARAMETER);
    }
}

TEST(DeviceCommands, ConfigurationFieldsSeventeenAndEighteenExistFromFirmware40000) {
    CameraKit old = kitWithFirmware(0x3FFFF);
    const std::vector<std::uint8_t> before = old.run(cmd::kReadCameraConfig).data;
    EXPECT_EQ(before[31], 0);
    CameraKit current = kitWithFirmware(0x40000);
    const std::vector<std::uint8_t> now = current.run(cmd::kReadCameraConfig).data;
    EXPECT_EQ(now[31], 2);  // field 17
    std::vector<std::uint8_t> changed = now;
    changed[31] = 3;  // not 1, 2 or 4
    EXPECT_EQ(current.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, changed).status,
              CAMX_INVALID_PARAMETER);
    changed[31] = 4;
    changed[32] = 5;  // field 18 in 1..9
    EXPECT_EQ(current.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, changed).status,
              CAMX_INVALID_PARAMETER);
    changed[32] = 10;
    EXPECT_EQ(current.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, changed).status, CAMX_OK);
    EXPECT_EQ(current.run(cmd::kReadCameraConfig).data, changed);
    // Older firmware ignores those bytes.
    std::vector<std::uint8_t> ignored = before;
    ignored[31] = 3;
    EXPECT_EQ(old.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, ignored).status, CAMX_OK);
}

TEST(DeviceCommands, ConfigurationIsValidatedAsTheFirmwareDoes) {
    CameraKit kit = kitWithFirmware(0x30020);
    const std::vector<std::uint8_t> good = kit.run(cmd::kReadCameraConfig).data;
    auto refused = [&](std::size_t offset, std::uint8_t value) {
        std::vector<std::uint8_t> bad = good;
        bad[offset] = value;
        return kit.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, bad).status ==
               CAMX_INVALID_PARAMETER;
    };
    EXPECT_TRUE(refused(0, 2));     // field 1
    EXPECT_TRUE(refused(1, 2));     // deduplicate
    EXPECT_TRUE(refused(5, 0x40));  // imposter threshold 3.x: outside (0, 2)
    EXPECT_TRUE(refused(10, 2));    // field 5
    EXPECT_TRUE(refused(13, 3));    // field 8 not a power of two up to 16
    EXPECT_TRUE(refused(14, 6));    // field 9: 6 is the serial line's
    EXPECT_TRUE(refused(15, 0));    // field 10
    EXPECT_TRUE(refused(15, 101));
    EXPECT_TRUE(refused(20, 2));  // field 12
    std::vector<std::uint8_t> fuzzy = good;
    fuzzy[21] = 1;     // field 13 set: fields 14 and 15 must lie in (0, 1]
    fuzzy[25] = 0x40;  // field 14 = 2.x
    EXPECT_EQ(kit.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, fuzzy).status,
              CAMX_INVALID_PARAMETER);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).data, good);  // nothing changed

    std::vector<std::uint8_t> dedup = good;
    dedup[1] = 1;
    ASSERT_EQ(kit.runWithData(cmd::kWriteCameraConfig, {46, 0, 0, 0}, dedup).status, CAMX_OK);
    EXPECT_TRUE(kit.state().settings.deduplicateOnEnroll());

    CameraKit serial = kitWithFirmware(0x30020, LinkKind::Serial);
    const std::vector<std::uint8_t> line = serial.run(cmd::kReadCameraConfig).data;
    EXPECT_EQ(line[14], 6);
}

TEST(DeviceCommands, DeviceInformationParsesInTheHostsOrder) {
    KitOptions options;
    options.binocular = true;
    options.firmware = 0x40003;
    CameraKit kit(options);
    const CommandOutcome outcome = kit.run(cmd::kDeviceInfo);
    ASSERT_EQ(outcome.status, CAMX_OK);
    const std::vector<std::uint8_t>& data = outcome.data;
    ByteReader reader(data.data(), data.size());
    reader.skip(reader.u32());
    const std::uint32_t serialLength = reader.u32();
    const std::uint8_t* serial = reader.bytes(serialLength);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(serial), serialLength), "KIT0001");
    EXPECT_EQ(reader.u16(), kit.state().profile.productId);
    reader.skip(8);
    reader.skip(reader.u32());
    reader.skip(8);
    reader.skip(reader.u32());
    reader.skip(8);
    EXPECT_EQ(reader.u32(), DeviceCommands::kKernelVersion);
    EXPECT_EQ(reader.u32(), DeviceCommands::kKernelRevision);
    const std::uint32_t features = reader.u32();
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_TRUE(features & DeviceCommands::kFeatureBinocular);
    EXPECT_TRUE(features & DeviceCommands::kFeatureWakeUp);
}

TEST(DeviceCommands, FirmwareAndProductIdentifier) {
    CameraKit plain = kitWithFirmware(0x30020, LinkKind::Serial);
    const CommandOutcome version = plain.run(cmd::kFirmwareVersion);
    ASSERT_EQ(version.results.size(), 4u);
    EXPECT_EQ(u32At(version.results, 0), 0x30020u);
    // Firmware 0x30017 carries a second version word, which governs its behaviour.
    CameraKit patched = kitWithFirmware(0x30017, LinkKind::Serial);
    const CommandOutcome both = patched.run(cmd::kFirmwareVersion);
    ASSERT_EQ(both.results.size(), 8u);
    EXPECT_EQ(u32At(both.results, 0), 0x30017u);
    EXPECT_EQ(u32At(both.results, 4), 0x30018u);
    EXPECT_EQ(patched.run(cmd::kReadCameraConfig).data.size(), 46u);

    const CommandOutcome product = plain.run(cmd::kProductId);
    ASSERT_EQ(product.results.size(), 4u);
    EXPECT_EQ(product.results[2] | (product.results[3] << 8), plain.state().profile.productId);
}

TEST(DeviceCommands, ResetAtOpenReturnsTheCameraToPowerOnState) {
    CameraKit kit;
    kit.capture("alice");
    ASSERT_TRUE(kit.state().initialised);
    EXPECT_EQ(kit.run(cmd::kResetAtOpen).status, CAMX_OK);
    EXPECT_FALSE(kit.state().initialised);
    EXPECT_FALSE(kit.state().capture.has_value());
    EXPECT_EQ(kit.run(cmd::kResultImage, test::imageParams(1, 2)).status, CAMX_SE_NOT_INIT);
}

TEST(DeviceCommands, CurrentFirmwareDozesWhenIdleAndWakesOnTheWakeUpCommand) {
    CameraKit kit = kitWithFirmware(0x40003);
    EXPECT_EQ(kit.run(cmd::kInitCamera).status, CAMX_OK);
    kit.advance(2500);  // longer than the kit's 2000 ms doze time
    EXPECT_EQ(kit.run(cmd::kCaptureStatus).status, CAMX_DEV_BUSY);
    const CommandOutcome wake = kit.run(cmd::kWakeUp);
    EXPECT_EQ(u32At(wake.results, 0), 1u);
    EXPECT_EQ(u32At(kit.run(cmd::kWakeUp).results, 0), 0u);
    EXPECT_EQ(kit.run(cmd::kCaptureStatus).status, CAMX_OK);

    // Older firmware never dozes.
    CameraKit old = kitWithFirmware(0x3FFFF);
    old.advance(10000);
    EXPECT_EQ(old.run(cmd::kReadCameraConfig).status, CAMX_OK);
    EXPECT_EQ(u32At(old.run(cmd::kWakeUp).results, 0), 0u);
}

TEST(DeviceCommands, WakeUpPollsAnswerWakingBeforeAwake) {
    CameraKit kit = kitWithFirmware(0x40003);
    kit.advance(2500);
    // The kit's camera takes two polls to wake.
    EXPECT_EQ(kit.camera.wakePoll(kit.now), 1u);
    EXPECT_EQ(kit.camera.wakePoll(kit.now), 1u);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).status, CAMX_DEV_BUSY);
    EXPECT_EQ(kit.camera.wakePoll(kit.now), 0u);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).status, CAMX_OK);
    EXPECT_EQ(kit.camera.wakePoll(kit.now), 0u);
}

TEST(DeviceCommands, DeviceStateStandbyDozesAfterItsDuration) {
    CameraKit kit = kitWithFirmware(0x40003);
    EXPECT_EQ(kit.run(cmd::kDeviceState, {0, 0}).status, CAMX_DEV_BAD_DATA);
    // Kind 2 (sent as 0), value 0, 1000 ms: what the host sends when it closes the camera.
    EXPECT_EQ(kit.run(cmd::kDeviceState, {0, 0, 0xE8, 0x03, 0, 0}).status, CAMX_OK);
    EXPECT_TRUE(kit.state().deviceState.received);
    EXPECT_EQ(kit.state().deviceState.durationMs, 1000u);
    kit.advance(500);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).status, CAMX_OK);
    kit.advance(600);
    EXPECT_EQ(kit.run(cmd::kReadCameraConfig).status, CAMX_DEV_BUSY);
}

TEST(DeviceCommands, ARunningCaptureKeepsTheCameraAwake) {
    KitOptions options;
    options.firmware = 0x40003;
    options.captureMs = 5000;
    CameraKit kit(options);
    kit.run(cmd::kInitCamera);
    kit.run(cmd::kStartCapture, test::startParams());
    for (int step = 0; step < 4; ++step) {
        kit.advance(1000);
        EXPECT_EQ(kit.camera.wakePoll(kit.now), 0u);
        EXPECT_EQ(kit.run(cmd::kCaptureStatus).status, CAMX_OK);
    }
}

}  // namespace
}  // namespace ocusim
