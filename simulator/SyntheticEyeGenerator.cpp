#include "simulator/SyntheticEyeGenerator.h"

#include <algorithm>
#include <cmath>

#include "simulator/Random.h"

namespace ocusim {

namespace {

constexpr float kPupilLevel = 16;
constexpr float kScleraLevel = 204;
constexpr float kSkinLevel = 182;
constexpr float kLashLevel = 28;
constexpr float kReflectionLevel = 252;

// Smooth low-frequency variation for skin: bilinear value noise on an 16-pixel lattice.
class SkinField {
public:
    explicit SkinField(std::uint64_t seed) : random_(seed) {
        for (float& v : lattice_) {
            v = static_cast<float>(random_.range(-6, 6));
        }
    }
    float at(int x, int y) const {
        const float lx = x / 16.0f;
        const float ly = y / 16.0f;
        const int x0 = static_cast<int>(lx) % kSide;
        const int y0 = static_cast<int>(ly) % kSide;
        const int x1 = (x0 + 1) % kSide;
        const int y1 = (y0 + 1) % kSide;
        const float fx = lx - std::floor(lx);
        const float fy = ly - std::floor(ly);
        const float top = lattice_[y0 * kSide + x0] * (1 - fx) + lattice_[y0 * kSide + x1] * fx;
        const float bot = lattice_[y1 * kSide + x0] * (1 - fx) + lattice_[y1 * kSide + x1] * fx;
        return top * (1 - fy) + bot * fy;
    }

private:
    static constexpr int kSide = 48;
    Random random_;
    float lattice_[kSide * kSide];
};

void boxBlur(GreyImage& frame, int radius) {
    if (radius <= 0) {
        return;
    }
    std::vector<std::uint8_t> line(std::max(frame.width, frame.height));
    const int window = 2 * radius + 1;
    for (int y = 0; y < frame.height; ++y) {
        int sum = 0;
        for (int k = -radius; k <= radius; ++k) {
            sum += frame.at(std::clamp(k, 0, frame.width - 1), y);
        }
        for (int x = 0; x < frame.width; ++x) {
            line[x] = static_cast<std::uint8_t>(sum / window);
            sum += frame.at(std::min(x + radius + 1, frame.width - 1), y);
            sum -= frame.at(std::max(x - radius, 0), y);
        }
        std::copy(line.begin(), line.begin() + frame.width, &frame.at(0, y));
    }
    for (int x = 0; x < frame.width; ++x) {
        int sum = 0;
        for (int k = -radius; k <= radius; ++k) {
            sum += frame.at(x, std::clamp(k, 0, frame.height - 1));
        }
        for (int y = 0; y < frame.height; ++y) {
            line[y] = static_cast<std::uint8_t>(sum / window);
            sum += frame.at(x, std::min(y + radius + 1, frame.height - 1));
            sum -= frame.at(x, std::max(y - radius, 0));
        }
        for (int y = 0; y < frame.height; ++y) {
            frame.at(x, y) = line[y];
        }
    }
}

void addNoise(GreyImage& frame, std::uint64_t seed, float sigma) {
    if (sigma <= 0) {
        return;
    }
    Random random(seed);
    // The sum of two uniform bytes has deviation 256 / sqrt(6) around 255.
    const float scale = sigma / 104.5f;
    std::uint64_t bits = 0;
    int left = 0;
    for (std::uint8_t& pixel : frame.pixels) {
        if (left == 0) {
            bits = random.next();
            left = 4;
        }
        const int a = static_cast<int>(bits & 0xFF);
        const int b = static_cast<int>((bits >> 8) & 0xFF);
        bits >>= 16;
        --left;
        const float value = pixel + (a + b - 255) * scale;
        pixel = static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
    }
}

}  // namespace

const IrisTexture& SyntheticEyeGenerator::texture(std::uint64_t identitySeed) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if ((*it)->seed() == identitySeed) {
            cache_.splice(cache_.begin(), cache_, it);
            return *cache_.front();
        }
    }
    cache_.push_front(std::make_unique<IrisTexture>(identitySeed));
    if (cache_.size() > kCacheSize) {
        cache_.pop_back();
    }
    return *cache_.front();
}

void SyntheticEyeGenerator::render(const EyeScene& scene, int width, int height, GreyImage& frame) {
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    const SkinField skin(mixSeed(scene.identitySeed, 0x5C1A));

    if (!scene.eyePresent) {
        // Nobody there: an evenly lit wall with a little texture.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                frame.at(x, y) = static_cast<std::uint8_t>(135 + skin.at(x, y) - y * 0.03f);
            }
        }
        addNoise(frame, scene.noiseSeed, scene.noiseSigma);
        return;
    }

    const IrisTexture& iris = texture(scene.identitySeed);
    const float radius = iris.irisRadius();
    const float pupil =
        std::clamp(radius * iris.pupilRatio() * scene.dilation, 0.2f * radius, 0.7f * radius);
    const float halfWidth = 2.4f * radius;
    const float cosRoll = std::cos(scene.roll);
    const float sinRoll = std::sin(scene.roll);
    const float inverseScale = 1.0f / scene.scale;
    const float lashBand = 5.0f;

    for (int y = 0; y < height; ++y) {
        const float dy = (y - scene.centreY) * inverseScale;
        for (int x = 0; x < width; ++x) {
            const float dx = (x - scene.centreX) * inverseScale;
            // Eye coordinates: the eye rolls with the head.
            const float u = dx * cosRoll + dy * sinRoll;
            const float v = -dx * sinRoll + dy * cosRoll;
            const float shading = -0.02f * std::sqrt(dx * dx + dy * dy);
            float value = kSkinLevel + skin.at(x, y) + shading;
            const float across = 1.0f - (u / halfWidth) * (u / halfWidth);
            if (across > 0) {
                const float upper = -scene.upperLid * radius * across;
                const float lower = scene.lowerLid * radius * across;
                if (scene.eyeClosed) {
                    // The closed lids meet in a dark line with lashes.
                    const float seam = 0.1f * radius * across;
                    if (std::fabs(v - seam) < 3.0f) {
                        value = kLashLevel + 40;
                    }
                } else if (v > upper && v < lower) {
                    const float r = std::sqrt(u * u + v * v);
                    if (r < pupil - 0.75f) {
                        value = kPupilLevel;
                    } else if (r < radius + 1.5f) {
                        const float rho = (r - pupil) / (radius - pupil);
                        const float texel = iris.sample(rho, std::atan2(v, u));
                        value = texel;
                        if (r < pupil + 0.75f) {
                            const float t = (r - (pupil - 0.75f)) / 1.5f;
                            value = kPupilLevel + (texel - kPupilLevel) * t;
                        } else if (r > radius - 1.5f) {
                            const float t = (r - (radius - 1.5f)) / 3.0f;
                            value = texel + (kScleraLevel - texel) * t;
                        }
                    } else {
                        value =
                            kScleraLevel - 18.0f * std::fabs(u) / halfWidth + 0.5f * skin.at(x, y);
                    }
                    if (v - upper < lashBand) {
                        value = kLashLevel;
                    }
                } else if (v <= upper && upper - v < 0.3f * radius) {
                    value -= 10.0f * (1.0f - (upper - v) / (0.3f * radius));  // lid shadow
                }
            }
            frame.at(x, y) = static_cast<std::uint8_t>(std::clamp(value, 0.0f, 255.0f));
        }
    }

    if (!scene.eyeClosed) {
        // The camera's two illuminators, fixed to the camera, reflect in the pupil.
        const float spot = std::max(2.0f, 0.14f * pupil * scene.scale);
        for (int side = -1; side <= 1; side += 2) {
            const float sx = scene.centreX + side * 0.35f * pupil * scene.scale;
            const float sy = scene.centreY - 0.3f * pupil * scene.scale;
            for (int y = static_cast<int>(sy - spot - 1); y <= static_cast<int>(sy + spot + 1);
                 ++y) {
                for (int x = static_cast<int>(sx - spot - 1); x <= static_cast<int>(sx + spot + 1);
                     ++x) {
                    if (x < 0 || y < 0 || x >= width || y >= height) {
                        continue;
                    }
                    const float d = std::hypot(x - sx, y - sy);
                    if (d <= spot) {
                        frame.at(x, y) = static_cast<std::uint8_t>(kReflectionLevel);
                    }
                }
            }
        }
    }

    boxBlur(frame, static_cast<int>(scene.blur + 0.5f));
    addNoise(frame, scene.noiseSeed, scene.noiseSigma);
}

}  // namespace ocusim
