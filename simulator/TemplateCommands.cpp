#include "simulator/TemplateCommands.h"

#include <algorithm>
#include <cmath>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"
#include "simulator/Matching.h"
#include "simulator/TemplateCodec.h"

namespace ocusim {

namespace cmd = sdk::command;

namespace {

constexpr std::size_t kIdentifyEntrySize = 36;

CommandOutcome matchRecord(const std::vector<EyeTemplate>& templates) {
    std::uint8_t counts[3] = {0, 0, 0};  // left, right, unknown
    for (const EyeTemplate& eyeTemplate : templates) {
        ++counts[eyeTemplate.eyePosition == 2 ? 0 : eyeTemplate.eyePosition == 1 ? 1 : 2];
    }
    ByteWriter results;
    results.u32(kTemplateFormatVersion);
    results.u32(templates.empty() ? 0 : templates.front().creatorVersion);
    results.u8(counts[0]);
    results.u8(counts[1]);
    results.u8(counts[2]);
    results.u8(static_cast<std::uint8_t>(std::min<std::size_t>(templates.size(), 255)));
    CommandOutcome outcome;
    outcome.results = results.take();
    return outcome;
}

std::uint32_t templateStatus(TemplateError error) {
    return error == TemplateError::UnknownVersion ? CAMX_TPL_TYPE_INVALID : CAMX_TPL_CORRUPTED;
}

}  // namespace

bool TemplateCommands::handles(std::uint16_t code) const {
    switch (code) {
        case cmd::kResultTemplate:
        case cmd::kTemplateFromData:
        case cmd::kMatchTemplateBlock:
        case cmd::kIdentify:
        case cmd::kEnrolleeTemplate:
        case cmd::kCompareWithEnrollee:
        case cmd::kCompareWithTemplate:
        case cmd::kCompareWithTemplateVariant:
        case cmd::kEnrolleeRecord:
            return true;
        default:
            return false;
    }
}

const CaptureResult* TemplateCommands::result(Clock::time_point now, std::uint32_t& status) {
    if (state_.capturing(now)) {
        status = CAMX_DEV_BUSY;
        return nullptr;
    }
    const CaptureResult* completed = state_.completedResult(now);
    if (completed == nullptr || !completed->anyQualified()) {
        status = CAMX_SE_NO_QUALIFIED_FRAME;
        return nullptr;
    }
    status = CAMX_OK;
    return completed;
}

CommandOutcome TemplateCommands::captureTemplate(const std::string& label, Clock::time_point now) {
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }
    std::vector<std::uint8_t> block;
    for (const EyeTemplate& eyeTemplate :
         templatesOf(*completed, state_.profile.effectiveFirmware(), label)) {
        appendTemplate(eyeTemplate, block);
    }
    return CommandOutcome::withData(std::move(block));
}

CommandOutcome TemplateCommands::begin(std::uint16_t code, const Params& params,
                                       Clock::time_point now) {
    std::string id;
    switch (code) {
        case cmd::kResultTemplate:
            return captureTemplate({}, now);
        case cmd::kTemplateFromData: {
            if (!params.has(0, 4)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            const std::uint32_t length = params.u32(0);
            if (length == 0) {
                return captureTemplate({}, now);
            }
            return length <= kMaxTemplateLabel ? CommandOutcome::expectData(length)
                                               : CommandOutcome::failure(CAMX_INVALID_PARAMETER);
        }
        case cmd::kMatchTemplateBlock:
        case cmd::kCompareWithTemplate:
        case cmd::kCompareWithTemplateVariant: {
            if (!params.has(0, 4)) {
                return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
            }
            const std::uint32_t length = params.u32(0);
            if (length == 0 || length > kMaxBlock) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            std::uint32_t status = CAMX_OK;
            if (code != cmd::kMatchTemplateBlock && result(now, status) == nullptr) {
                return CommandOutcome::failure(status);
            }
            return CommandOutcome::expectData(length);
        }
        case cmd::kIdentify:
            return identify(params, now);
        case cmd::kEnrolleeTemplate:
        case cmd::kCompareWithEnrollee:
        case cmd::kEnrolleeRecord: {
            if (!params.text(0, id) || !isValidUserId(id)) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            const Enrollee* enrollee = state_.gallery.find(id);
            if (enrollee == nullptr) {
                return CommandOutcome::failure(CAMX_GAL_ID_NOT_EXIST);
            }
            if (code == cmd::kEnrolleeRecord) {
                return matchRecord(enrollee->templates);
            }
            if (code == cmd::kEnrolleeTemplate) {
                std::vector<std::uint8_t> block;
                for (const EyeTemplate& eyeTemplate : enrollee->templates) {
                    appendTemplate(eyeTemplate, block);
                }
                return CommandOutcome::withData(std::move(block));
            }
            std::uint32_t status = CAMX_OK;
            const CaptureResult* completed = result(now, status);
            if (completed == nullptr) {
                return CommandOutcome::failure(status);
            }
            float distance = bestDistance(templatesOf(*completed, 0), enrollee->templates);
            if (state_.scene.nextDistance) {
                distance = *state_.scene.nextDistance;
                state_.scene.nextDistance.reset();
            }
            ByteWriter results;
            results.f32(distance);
            CommandOutcome outcome;
            outcome.results = results.take();
            return outcome;
        }
        default:
            return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
}

CommandOutcome TemplateCommands::finish(std::uint16_t code, const Params& params,
                                        const std::vector<std::uint8_t>& data,
                                        Clock::time_point now) {
    if (code == cmd::kTemplateFromData) {
        return captureTemplate(std::string(data.begin(), data.end()), now);
    }
    if (code != cmd::kMatchTemplateBlock && code != cmd::kCompareWithTemplate &&
        code != cmd::kCompareWithTemplateVariant) {
        return CommandGroup::finish(code, params, data, now);
    }
    std::vector<EyeTemplate> templates;
    const TemplateError error = decodeTemplateBlock(data.data(), data.size(), templates);
    if (error != TemplateError::None) {
        return CommandOutcome::failure(templateStatus(error));
    }
    if (code == cmd::kMatchTemplateBlock) {
        return matchRecord(templates);
    }
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }
    ByteWriter results;
    results.f32(bestDistance(templatesOf(*completed, 0), templates));
    CommandOutcome outcome;
    outcome.results = results.take();
    return outcome;
}

CommandOutcome TemplateCommands::identify(const Params& params, Clock::time_point now) {
    float maximum = state_.settings.imposterThreshold();
    if (state_.profile.newLayouts()) {
        if (!params.has(0, 4)) {
            return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
        }
        maximum = params.f32(0);
        if (!std::isfinite(maximum) || maximum <= 0) {
            return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
        }
    }
    std::uint32_t status = CAMX_OK;
    const CaptureResult* completed = result(now, status);
    if (completed == nullptr) {
        return CommandOutcome::failure(status);
    }
    const std::vector<EyeTemplate> probe = templatesOf(*completed, 0);
    struct Candidate {
        const std::string* id;
        float distance;
    };
    std::vector<Candidate> candidates;
    for (const Enrollee& enrollee : state_.gallery.enrollees()) {
        const float distance = bestDistance(probe, enrollee.templates);
        if (distance < maximum) {
            candidates.push_back({&enrollee.id, distance});
        }
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    ByteWriter data(candidates.size() * kIdentifyEntrySize);
    for (const Candidate& candidate : candidates) {
        data.paddedText(*candidate.id, 32);
        data.f32(candidate.distance);
    }
    CommandOutcome outcome;
    ByteWriter results;
    results.u32(static_cast<std::uint32_t>(candidates.size()));
    results.u32(static_cast<std::uint32_t>(data.size()));
    outcome.results = results.take();
    outcome.data = data.take();
    return outcome;
}

}  // namespace ocusim
