#include "simulator/DeviceCommands.h"

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace cmd = sdk::command;

bool DeviceCommands::handles(std::uint16_t code) const {
    switch (code) {
        case cmd::kProductId:
        case cmd::kFirmwareVersion:
        case cmd::kWakeUp:
        case cmd::kDeviceInfo:
        case cmd::kReadCameraConfig:
        case cmd::kWriteCameraConfig:
        case cmd::kDeviceState:
        case cmd::kResetAtOpen:
            return true;
        default:
            return false;
    }
}

std::vector<std::uint8_t> DeviceCommands::deviceInformation() const {
    const DeviceProfile& profile = state_.profile;
    ByteWriter writer;
    writer.u32(static_cast<std::uint32_t>(profile.modelName.size()));
    writer.bytes(reinterpret_cast<const std::uint8_t*>(profile.modelName.data()),
                 profile.modelName.size());
    writer.u32(static_cast<std::uint32_t>(profile.serialNumber.size()));
    writer.bytes(reinterpret_cast<const std::uint8_t*>(profile.serialNumber.data()),
                 profile.serialNumber.size());
    writer.u16(profile.productId);
    writer.paddedText("20240115", 8);
    const std::string hardware = profile.binocular ? "HW rev D2" : "HW rev C1";
    writer.u32(static_cast<std::uint32_t>(hardware.size()));
    writer.bytes(reinterpret_cast<const std::uint8_t*>(hardware.data()), hardware.size());
    writer.u32(640);
    writer.u32(480);
    const std::string firmware = "FW " + firmwareText(profile.effectiveFirmware());
    writer.u32(static_cast<std::uint32_t>(firmware.size()));
    writer.bytes(reinterpret_cast<const std::uint8_t*>(firmware.data()), firmware.size());
    writer.u32(profile.effectiveFirmware());
    writer.u32(20240115);
    writer.u32(kKernelVersion);
    writer.u32(kKernelRevision);
    std::uint32_t features =
        kFeatureGallery | kFeatureTemplates | kFeatureIsoRecords | kFeatureJpeg2000;
    if (profile.binocular) {
        features |= kFeatureBinocular;
    }
    if (profile.dozes()) {
        features |= kFeatureWakeUp;
    }
    writer.u32(features);
    return writer.take();
}

CommandOutcome DeviceCommands::begin(std::uint16_t code, const Params& params,
                                     Clock::time_point now) {
    const DeviceProfile& profile = state_.profile;
    ByteWriter results;
    switch (code) {
        case cmd::kProductId:
            results.u16(profile.vendorId);
            results.u16(profile.productId);
            break;
        case cmd::kFirmwareVersion:
            results.u32(profile.firmware);
            if (profile.hasSecondFirmware()) {
                results.u32(profile.secondFirmware);
            }
            break;
        case cmd::kWakeUp:
            results.u32(state_.power.wakeCommand(now));
            break;
        case cmd::kDeviceInfo:
            return CommandOutcome::withData(deviceInformation());
        case cmd::kReadCameraConfig:
            return CommandOutcome::withData(state_.settings.encode());
        case cmd::kWriteCameraConfig: {
            if (!params.has(0, 4)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            if (params.u32(0) != state_.settings.size()) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            return CommandOutcome::expectData(state_.settings.size());
        }
        case cmd::kDeviceState:
            if (!params.has(0, 6)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            state_.deviceState = {true, params.u8(0), params.u8(1), params.u32(2)};
            // Kind 2 (sent as 0) is the power state; value 0 asks for standby after the duration.
            if (params.u8(0) == 0 && params.u8(1) == 0) {
                state_.power.dozeAt(now + std::chrono::milliseconds(params.u32(2)));
            }
            break;
        case cmd::kResetAtOpen:
            state_.dropCapture();
            state_.initialised = false;
            state_.eyeOption = 0;
            break;
        default:
            return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
    CommandOutcome outcome;
    outcome.results = results.take();
    return outcome;
}

CommandOutcome DeviceCommands::finish(std::uint16_t code, const Params& params,
                                      const std::vector<std::uint8_t>& data,
                                      Clock::time_point now) {
    if (code != cmd::kWriteCameraConfig) {
        return CommandGroup::finish(code, params, data, now);
    }
    if (!state_.settings.apply(data.data(), data.size())) {
        return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
    }
    return CommandOutcome{};
}

}  // namespace ocusim
