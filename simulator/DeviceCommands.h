#pragma once

#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// Identity, configuration and power: product identifier (0x10A0), firmware version (0x10A1),
// wake-up (0x10AF), device information (0x1005), configuration read and write (0x10C0, 0x10C1),
// device state (0x5001) and the reset step at open (0x9005).
class DeviceCommands : public CommandGroup {
public:
    explicit DeviceCommands(CameraState& state) : state_(state) {}

    bool handles(std::uint16_t code) const override;
    CommandOutcome begin(std::uint16_t code, const Params& params, Clock::time_point now) override;
    CommandOutcome finish(std::uint16_t code, const Params& params,
                          const std::vector<std::uint8_t>& data, Clock::time_point now) override;

    // The device-information data (0x1005):
    //   u32 a, a bytes model name;  u32 s, s bytes serial number;  u16 product identifier;
    //   8 bytes manufacture date "YYYYMMDD";  u32 b, b bytes hardware revision;
    //   u32 frame width, u32 frame height;  u32 c, c bytes firmware text;  u32 firmware version,
    //   u32 build date (YYYYMMDD as a number);
    //   u32 kernel version, u32 kernel revision, u32 feature word.
    std::vector<std::uint8_t> deviceInformation() const;

    // Feature word bits.
    static constexpr std::uint32_t kFeatureGallery = 0x01;
    static constexpr std::uint32_t kFeatureTemplates = 0x02;
    static constexpr std::uint32_t kFeatureIsoRecords = 0x04;
    static constexpr std::uint32_t kFeatureJpeg2000 = 0x08;
    static constexpr std::uint32_t kFeatureBinocular = 0x10;
    static constexpr std::uint32_t kFeatureWakeUp = 0x20;
    static constexpr std::uint32_t kKernelVersion = 4;
    static constexpr std::uint32_t kKernelRevision = 19;

private:
    CameraState& state_;
};

}  // namespace ocusim
