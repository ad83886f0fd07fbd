#pragma once

#include <cstdint>
#include <vector>

#include "simulator/CaptureSession.h"
#include "simulator/EyeSegmenter.h"
#include "simulator/FrameGenerator.h"
#include "simulator/GreyImage.h"
#include "simulator/IrisCode.h"
#include "simulator/QualityAssessor.h"

namespace ocusim {

// The camera's result for one eye of a completed capture.
struct EyeCapture {
    bool qualified = false;
    std::uint8_t eyeLabel = 0;  // 0 unknown (monocular camera), 1 right, 2 left
    GreyImage image;            // the qualified frame
    EyeGeometry geometry;
    IrisCode code;
    QualityScores quality;
    bool occluded = false;  // lids, lashes or reflections cover part of the iris
};

// Everything a completed capture produced: one entry per slot (right eye first on a binocular
// camera) and when it was taken.
struct CaptureResult {
    std::vector<EyeCapture> eyes;
    std::uint8_t dateTime[9] = {};

    // How result commands answer: 0 when every eye qualified; on a binocular camera 0x3007 when
    // only the right eye did not, 0x3008 when only the left did not; 0x3006 when none did.
    std::uint16_t status() const;
    bool anyQualified() const;
};

// Takes a completed capture's final frames and analyses them: segmentation, iris code, quality.
class CaptureAnalyzer {
public:
    static CaptureResult analyze(const CaptureSession& session, FrameGenerator& generator,
                                 std::uint8_t minimumUsableArea);
};

}  // namespace ocusim
