#pragma once

#include <cstdint>

#include "web/JsonWritable.h"

namespace lensws {

// The "quality" object of GET /1.0/samplequality: the eye and its scores.
class SampleQuality : public JsonWritable {
public:
    const char* submodality = "unknownIris";
    std::int32_t totalScore = 0;
    std::int32_t usableAreaScore = 0;
    std::int32_t lowerUsableAreaScore = -1;

    void writeJson(JsonWriter& writer) const override;
};

}  // namespace lensws
