#pragma once

#include <cstdint>

#include "simulator/EyeSegmenter.h"
#include "simulator/GreyImage.h"

namespace ocusim {

// The image kinds of ISO/IEC 19794-6:2011, made from a captured frame and its segmentation:
//   1 uncropped: the frame as the sensor took it;
//   2 VGA: 640 x 480 with the iris moved to the centre;
//   3 cropped: the iris centred with margins of 0.6 iris radii left and right and 0.2 above and
//     below (3.2 R x 2.4 R);
//   7 cropped and masked: as 3, with everything outside the iris circle set to 200 and the lids,
//     lashes and reflections inside it set to 128 (the pupil is kept).
// Areas beyond the frame are filled with 128.
struct KindImage {
    GreyImage image;
    EyeGeometry geometry;  // in the new image's coordinates
};

bool isImageKind(std::uint8_t kind);

// False for an unknown kind or an eye that was not found (kinds 2, 3 and 7 need its position).
bool makeKindImage(const GreyImage& frame, const EyeGeometry& geometry, std::uint8_t kind,
                   KindImage& out);

}  // namespace ocusim
