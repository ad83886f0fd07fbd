#pragma once

#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// Templates and matching: the capture's template (0x3005; 0x3006 with a label of 1 to 64 bytes
// taken from the data phase), template-block inspection (0x3007), identification (0x3017),
// an enrollee's templates (0x3019), comparisons of the capture with an enrollee (0x301A) or with
// a template block (0x301B, and its variant 0x301F), and an enrollee's record (0x3021).
//
// Match record (0x3007, 0x3021): u32 template format version, u32 creator version (the firmware
// that made the first template), u8 left-eye, u8 right-eye, u8 unknown-eye and u8 total template
// counts. For 0x3007 they describe the block sent; for 0x3021 the enrollee's templates.
// Identification answers u32 count and u32 data length inline, then per candidate a 32-byte
// NUL-padded user id and a f32 distance, nearest first; only candidates nearer than the maximum
// distance are listed.
class TemplateCommands : public CommandGroup {
public:
    // Largest template block the camera takes.
    static constexpr std::size_t kMaxBlock = 0xAB000 - 1;

    explicit TemplateCommands(CameraState& state) : state_(state) {}

    bool handles(std::uint16_t code) const override;
    CommandOutcome begin(std::uint16_t code, const Params& params, Clock::time_point now) override;
    CommandOutcome finish(std::uint16_t code, const Params& params,
                          const std::vector<std::uint8_t>& data, Clock::time_point now) override;

private:
    // The completed capture's qualified result, or null with the status to answer.
    const CaptureResult* result(Clock::time_point now, std::uint32_t& status);
    CommandOutcome captureTemplate(const std::string& label, Clock::time_point now);
    CommandOutcome identify(const Params& params, Clock::time_point now);

    CameraState& state_;
};

}  // namespace ocusim
