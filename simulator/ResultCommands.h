#pragma once

#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// Results of a completed capture: result images (0x200C, and 0x200D with the caller's data
// attached), quality scores (0x2011) and ISO/IEC 19794-6 records (0x2014, and 0x2015 with a
// capture date and time). On a binocular camera the right eye comes first; when one eye did not
// qualify the status is 0x3007 (right) or 0x3008 (left) and only the other eye is present; with
// no qualified eye the status is 0x3006. While a capture runs the answer is CAMX_DEV_BUSY.
//
// Result image data, one entry per eye: u8 kind, u8 format, then for raw images u32 width and
// u32 height, else u32 byte size and u32 0; then the image bytes. 0x200D instead gives per eye
// u32 length and the camera's image record (with the caller's data attached), then u32 length and
// the eye's template.
class ResultCommands : public CommandGroup {
public:
    explicit ResultCommands(CameraState& state) : state_(state) {}

    bool handles(std::uint16_t code) const override;
    CommandOutcome begin(std::uint16_t code, const Params& params, Clock::time_point now) override;
    CommandOutcome finish(std::uint16_t code, const Params& params,
                          const std::vector<std::uint8_t>& data, Clock::time_point now) override;

private:
    // The completed result, or the status to answer when there is none.
    const CaptureResult* result(Clock::time_point now, std::uint32_t& status);
    CommandOutcome resultImages(const Params& params, bool withData,
                                const std::vector<std::uint8_t>& attached, Clock::time_point now);
    CommandOutcome quality(Clock::time_point now);
    CommandOutcome isoRecord(const Params& params, const std::vector<std::uint8_t>* dateTime,
                             Clock::time_point now);
    std::size_t imageDataLengthOffset() const;
    std::size_t isoDataLengthOffset() const;

    CameraState& state_;
};

}  // namespace ocusim
