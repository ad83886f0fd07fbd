#pragma once

#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// The gallery: add templates under a user id (0x3018), load the committed gallery (0x8003), list
// enrollees (0x8004 and its other form 0x9008), enroll the capture (0x8007), unenroll one user or
// all (0x8014, 0x8015) and commit (0x8016).
//
// Gallery reply (0x8003, 0x8004, 0x9008), inline: u32 enrollee count, u32 used template slots,
// u32 maximum templates, u32 byte length of the name list. When the host asks for names (the
// flag at p0, firmware 0x2001C and later) and the gallery is not empty, the name list follows as
// a data phase: the user ids, each NUL-terminated, in enrollment order. Older firmware has no
// flag and never sends names (the length then reads 0). An empty gallery answers with the
// configured empty-gallery status (CAMX_GAL_EMPTY unless set to 0).
class GalleryCommands : public CommandGroup {
public:
    explicit GalleryCommands(CameraState& state) : state_(state) {}

    bool handles(std::uint16_t code) const override;
    CommandOutcome begin(std::uint16_t code, const Params& params, Clock::time_point now) override;
    CommandOutcome finish(std::uint16_t code, const Params& params,
                          const std::vector<std::uint8_t>& data, Clock::time_point now) override;

private:
    CommandOutcome galleryReply(const Params& params);
    CommandOutcome enroll(const Params& params, Clock::time_point now);

    CameraState& state_;
};

}  // namespace ocusim
