#pragma once

#include <cstdint>

namespace ocusim {

// What one sensor of the camera sees at one moment: whether an eye is there and open, whose iris
// it is, where it sits, how near it is, and the sensor noise.
struct EyeScene {
    bool eyePresent = true;          // false: nobody in front of the camera
    bool eyeClosed = false;          // the eye is shut or covered (an unqualified eye)
    std::uint64_t identitySeed = 0;  // selects the iris pattern (subject and eye)
    float centreX = 320;             // eye centre in the frame, pixels
    float centreY = 240;
    float scale = 1.0f;     // 1 at the qualified distance; smaller further away
    float roll = 0;         // head roll, radians
    float dilation = 1.0f;  // pupil size relative to the eye's resting pupil
    float upperLid = 0.8f;  // eyelid opening above and below the centre, in iris radii
    float lowerLid = 0.95f;
    float blur = 0;  // defocus, pixels
    std::uint64_t noiseSeed = 1;
    float noiseSigma = 2.5f;
};

}  // namespace ocusim
