#include "simulator/CaptureResult.h"

#include "sdk/SdkStatus.h"
#include "simulator/IrisEncoder.h"
#include "simulator/IsoRecordWriter.h"

namespace ocusim {

std::uint16_t CaptureResult::status() const {
    if (eyes.size() == 2) {
        const bool right = eyes[0].qualified;
        const bool left = eyes[1].qualified;
        if (right && left) {
            return CAMX_OK;
        }
        if (left) {
            return CAMX_SE_RIGHT_FRAME_UNQUALIFIED;
        }
        if (right) {
            return CAMX_SE_LEFT_FRAME_UNQUALIFIED;
        }
        return CAMX_SE_NO_QUALIFIED_FRAME;
    }
    return anyQualified() ? CAMX_OK : CAMX_SE_NO_QUALIFIED_FRAME;
}

bool CaptureResult::anyQualified() const {
    for (const EyeCapture& eye : eyes) {
        if (eye.qualified) {
            return true;
        }
    }
    return false;
}

CaptureResult CaptureAnalyzer::analyze(const CaptureSession& session, FrameGenerator& generator,
                                       std::uint8_t minimumUsableArea) {
    CaptureResult result;
    isoDateTimeNow(result.dateTime);
    const EyeSegmenter segmenter;
    const IrisEncoder encoder;
    for (int slot = 0; slot < session.slotCount(); ++slot) {
        EyeCapture eye;
        eye.eyeLabel = session.eyeLabel(slot);
        if (session.slotActive(slot)) {
            generator.render(session.finalScene(slot), session.setup().width,
                             session.setup().height, eye.image);
            eye.geometry = segmenter.locate(eye.image);
            IrisMeasures measures;
            eye.code = encoder.encode(eye.image, eye.geometry, &measures);
            eye.quality = QualityAssessor::score(eye.geometry, measures);
            eye.occluded = measures.visibleFraction < 0.99f;
            eye.qualified =
                QualityAssessor::qualifies(eye.geometry, eye.quality, minimumUsableArea);
        }
        if (!eye.qualified) {
            eye.image = GreyImage();
        }
        result.eyes.push_back(std::move(eye));
    }
    return result;
}

}  // namespace ocusim
