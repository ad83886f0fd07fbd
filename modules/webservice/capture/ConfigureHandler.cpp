#include "capture/ConfigureHandler.h"

#include <cstdint>

#include "capture/CameraController.h"
#include "capture/DownloadVocabulary.h"
#include "web/InlineAllocator.h"
#include "web/JSConfiguration.h"
#include "web/MetaData.h"
#include "web/RequestAnswer.h"
#include "web/RequestDocument.h"

namespace lensws {

namespace {

// Seeds the body parser's pool; larger documents continue on the heap.
constexpr std::size_t kBodyScratch = 2048;
// Room for the items of a configuration document, and for the description with its lists.
constexpr std::size_t kDocumentPool = 2048;
constexpr std::size_t kDescriptionPool = 4096;

constexpr std::int32_t kMaxQuality = 100;

// A quality item with its 0..100 range. The range is written exclusive at both ends, as clients
// know it, although 0 and 100 themselves are accepted.
void addQuality(MetaData& description, const char* key, std::uint8_t value) {
    MetadataItem item(description.pool());
    item.setKey(key);
    item.setInt(value);
    item.setRange(0, kMaxQuality, true, true);
    description.addItem(item);
}

void addChoice(MetaData& description, const char* name, const char* const* strings,
               std::size_t count) {
    MetadataItem item(description.pool());
    item.setKey(name);
    ParameterDescriptor& descriptor = item.setDescriptor();
    descriptor.setName(name);
    descriptor.setReadOnly(true);
    descriptor.setStrings(strings, count);
    description.addItem(item);
}

void addResolution(MetaData& description, std::uint32_t width, std::uint32_t height) {
    MetadataItem item(description.pool());
    item.setKey("resolution");
    ParameterDescriptor& descriptor = item.setDescriptor();
    descriptor.setName("resolution");
    descriptor.setReadOnly(true);
    descriptor.setResolution(width, height, "pixel");
    description.addItem(item);
}

bool inQualityRange(std::int32_t quality) {
    return quality >= 0 && quality <= kMaxQuality;
}

}  // namespace

bool ConfigureHandler::handleGet(CivetServer*, mg_connection* connection) {
    vtl_base_type::InlineAllocator<kDescriptionPool> pool;
    MetaData description(pool);
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (!requireSensorSession(connection, result)) {
            return nullptr;
        }
        const ResultStatus status = describe(description);
        result.setStatus(status);
        return status == ResultStatus::success ? &description : nullptr;
    });
}

ResultStatus ConfigureHandler::describe(MetaData& description) const {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    controller().getFrameSize(width, height);
    std::uint8_t qualityStreaming = 0;
    std::uint8_t qualitySample = 0;
    const ResultStatus status = controller().getQualities(qualityStreaming, qualitySample);
    if (status != ResultStatus::success) {
        return status;
    }
    if (width != 0 && height != 0) {
        addResolution(description, width, height);
    }
    addQuality(description, "qualityStreaming", qualityStreaming);
    addQuality(description, "qualitySample", qualitySample);
    // The thresholds need the camera's configuration record; without it the description is
    // still an answer, only shorter.
    bool deduplicationEnroll = false;
    float genuineThreshold = 0;
    float imposterThreshold = 0;
    if (controller().getMatchSettings(deduplicationEnroll, genuineThreshold, imposterThreshold) ==
        ResultStatus::success) {
        description.addFloat("genuineThreshold", genuineThreshold);
        description.addFloat("imposterThreshold", imposterThreshold);
        description.addBool("deduplicationEnroll", deduplicationEnroll);
    }
    addChoice(description, "imageFormat", kImageFormatNames, kImageFormatCount);
    addChoice(description, "biometricFormat", kBiometricFormatNames, kBiometricFormatCount);
    return ResultStatus::success;
}

bool ConfigureHandler::handlePost(CivetServer*, mg_connection* connection) {
    return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
        if (requireSensorSession(connection, result)) {
            result.setStatus(configureFrom(connection));
        }
        return nullptr;
    });
}

ResultStatus ConfigureHandler::configureFrom(mg_connection* connection) const {
    alignas(8) unsigned char scratch[kBodyScratch];
    RequestDocument body(connection, scratch, sizeof scratch);
    vtl_base_type::InlineAllocator<kDocumentPool> pool;
    JSConfiguration configuration(pool);
    if (!body.readMember("configuration", [&configuration](const JsonValue& value) {
            return configuration.read(value);
        })) {
        return ResultStatus::invalidParameter;
    }
    bool deduplicationEnroll = false;
    float genuineThreshold = 0;
    float imposterThreshold = 0;
    std::int32_t qualityStreaming = 0;
    std::int32_t qualitySample = 0;
    if (!configuration.getBool("deduplicationEnroll", deduplicationEnroll) ||
        !configuration.getFloat("genuineThreshold", genuineThreshold) ||
        !configuration.getFloat("imposterThreshold", imposterThreshold) ||
        !configuration.getInt("qualityStreaming", qualityStreaming) ||
        !configuration.getInt("qualitySample", qualitySample)) {
        return ResultStatus::invalidParameter;
    }
    if (!inQualityRange(qualitySample) || !inQualityRange(qualityStreaming)) {
        return ResultStatus::badValue;
    }
    return controller().configure(genuineThreshold, imposterThreshold, deduplicationEnroll ? 1 : 0,
                                  static_cast<std::uint8_t>(qualityStreaming),
                                  static_cast<std::uint8_t>(qualitySample));
}

}  // namespace lensws
