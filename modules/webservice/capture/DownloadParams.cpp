#include "capture/DownloadParams.h"

#include <string_view>

namespace lensws {

namespace {

constexpr std::int32_t kMaxQuality = 100;

// The code of a string member's name in a vocabulary, or `keep` when the member is absent, not
// a string or not in the vocabulary.
std::int32_t termOf(const JsonValue& params, const char* member,
                    std::int32_t (*lookup)(std::string_view), std::int32_t keep) {
    const auto found = params.FindMember(member);
    if (found == params.MemberEnd() || !found->value.IsString()) {
        return keep;
    }
    const std::int32_t code =
        lookup(std::string_view(found->value.GetString(), found->value.GetStringLength()));
    return code != 0 ? code : keep;
}

}  // namespace

bool DownloadParams::read(const JsonValue& value) {
    if (!value.IsObject()) {
        return false;
    }
    imageKind = termOf(value, "imageKind", imageKindCode, imageKind);
    imageFormat = termOf(value, "imageFormat", imageFormatCode, imageFormat);
    isoRevision = termOf(value, "isoRevision", isoRevisionCode, isoRevision);
    const auto quality = value.FindMember("encodingQuality");
    if (quality != value.MemberEnd() && quality->value.IsInt64()) {
        const std::int64_t q = quality->value.GetInt64();
        encodingQuality = q < 0 || q > kMaxQuality ? -1 : static_cast<std::int32_t>(q);
        qualityGiven = true;
    }
    return true;
}

bool DownloadParams::usable() const {
    return imageFormat != 0 && qualityGiven && encodingQuality >= 1 &&
           encodingQuality <= kMaxQuality;
}

}  // namespace lensws
