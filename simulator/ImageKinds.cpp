#include "simulator/ImageKinds.h"

#include <cmath>

#include "simulator/IrisEncoder.h"

namespace ocusim {

namespace {

constexpr std::uint8_t kPadding = 128;
constexpr std::uint8_t kScleraMask = 200;
constexpr std::uint8_t kOcclusionMask = 128;

// The window of `frame` of the given size whose top-left corner sits at (left, top).
void cut(const GreyImage& frame, int left, int top, int width, int height, GreyImage& out) {
    out = GreyImage(width, height, kPadding);
    for (int y = 0; y < height; ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= frame.height) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int sx = left + x;
            if (sx >= 0 && sx < frame.width) {
                out.at(x, y) = frame.at(sx, sy);
            }
        }
    }
}

}  // namespace

bool isImageKind(std::uint8_t kind) {
    return kind == 1 || kind == 2 || kind == 3 || kind == 7;
}

bool makeKindImage(const GreyImage& frame, const EyeGeometry& geometry, std::uint8_t kind,
                   KindImage& out) {
    if (!isImageKind(kind) || frame.empty()) {
        return false;
    }
    if (kind == 1) {
        out.image = frame;
        out.geometry = geometry;
        return true;
    }
    if (!geometry.found) {
        return false;
    }
    int width = frame.width;
    int height = frame.height;
    if (kind != 2) {
        width = 2 * static_cast<int>(std::lround(1.6f * geometry.irisRadius));
        height = 2 * static_cast<int>(std::lround(1.2f * geometry.irisRadius));
    }
    const int left = static_cast<int>(std::lround(geometry.centreX)) - width / 2;
    const int top = static_cast<int>(std::lround(geometry.centreY)) - height / 2;
    cut(frame, left, top, width, height, out.image);
    out.geometry = geometry;
    out.geometry.centreX -= left;
    out.geometry.centreY -= top;
    if (kind == 7) {
        const float cx = out.geometry.centreX;
        const float cy = out.geometry.centreY;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const float r = std::hypot(x - cx, y - cy);
                std::uint8_t& pixel = out.image.at(x, y);
                if (r > geometry.irisRadius) {
                    pixel = kScleraMask;
                } else if (r > geometry.pupilRadius && (pixel > IrisEncoder::kOccludedAbove ||
                                                        pixel < IrisEncoder::kOccludedBelow)) {
                    pixel = kOcclusionMask;
                }
            }
        }
    }
    return true;
}

}  // namespace ocusim
