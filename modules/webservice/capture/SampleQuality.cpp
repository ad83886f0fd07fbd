#include "capture/SampleQuality.h"

#include "web/JsonWriter.h"

namespace lensws {

void SampleQuality::writeJson(JsonWriter& writer) const {
    writer.startObject();
    writer.textMember("submodality", submodality);
    writer.key("totalScore");
    writer.int32(totalScore);
    writer.key("usableAreaScore");
    writer.int32(usableAreaScore);
    writer.key("lowerUsableAreaScore");
    writer.int32(lowerUsableAreaScore);
    writer.endObject();
}

}  // namespace lensws
