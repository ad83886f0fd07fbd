#include "simulator/GalleryCommands.h"

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteWriter.h"
#include "simulator/Matching.h"
#include "simulator/TemplateCommands.h"

namespace ocusim {

namespace cmd = sdk::command;

bool GalleryCommands::handles(std::uint16_t code) const {
    switch (code) {
        case cmd::kAddTemplate:
        case cmd::kLoadGallery:
        case cmd::kListEnrollees:
        case cmd::kListEnrolleesOther:
        case cmd::kEnroll:
        case cmd::kUnenroll:
        case cmd::kUnenrollAll:
        case cmd::kCommitGallery:
            return true;
        default:
            return false;
    }
}

CommandOutcome GalleryCommands::begin(std::uint16_t code, const Params& params,
                                      Clock::time_point now) {
    std::string id;
    switch (code) {
        case cmd::kAddTemplate: {
            if (!params.has(0, 4) || !params.text(4, id) || !isValidUserId(id)) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            const std::uint32_t length = params.u32(0);
            if (length == 0 || length > TemplateCommands::kMaxBlock) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            return CommandOutcome::expectData(length);
        }
        case cmd::kLoadGallery: {
            const std::uint32_t status = state_.gallery.load();
            if (status != CAMX_OK) {
                return CommandOutcome::failure(status);
            }
            return galleryReply(params);
        }
        case cmd::kListEnrollees:
        case cmd::kListEnrolleesOther:
            return galleryReply(params);
        case cmd::kEnroll:
            return enroll(params, now);
        case cmd::kUnenroll:
            if (!params.text(0, id) || !isValidUserId(id)) {
                return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
            }
            return CommandOutcome::failure(state_.gallery.remove(id));
        case cmd::kUnenrollAll:
            state_.gallery.removeAll();
            return CommandOutcome{};
        case cmd::kCommitGallery:
            return CommandOutcome::failure(state_.gallery.commit());
        default:
            return CommandOutcome::failure(CAMX_DEV_PROC_NOT_FOUND);
    }
}

CommandOutcome GalleryCommands::finish(std::uint16_t code, const Params& params,
                                       const std::vector<std::uint8_t>& data,
                                       Clock::time_point now) {
    if (code != cmd::kAddTemplate) {
        return CommandGroup::finish(code, params, data, now);
    }
    std::string id;
    params.text(4, id);
    std::vector<EyeTemplate> templates;
    const TemplateError error = decodeTemplateBlock(data.data(), data.size(), templates);
    if (error != TemplateError::None) {
        return CommandOutcome::failure(
            error == TemplateError::UnknownVersion ? CAMX_TPL_TYPE_INVALID : CAMX_TPL_CORRUPTED);
    }
    const std::uint32_t status = state_.gallery.add(
        id, templates, state_.settings.deduplicateOnEnroll(), state_.settings.imposterThreshold());
    CommandOutcome outcome = CommandOutcome::failure(status);
    if (status == CAMX_OK) {
        ByteWriter results;
        results.u32(static_cast<std::uint32_t>(state_.gallery.find(id)->templates.size()));
        outcome.results = results.take();
    }
    return outcome;
}

CommandOutcome GalleryCommands::galleryReply(const Params& params) {
    const Gallery& gallery = state_.gallery;
    const bool newLayouts = state_.profile.newLayouts();
    const bool namesWanted = newLayouts && params.u8(0) != 0;
    ByteWriter names;
    if (newLayouts) {
        for (const Enrollee& enrollee : gallery.enrollees()) {
            names.cstring(enrollee.id);
        }
    }
    ByteWriter results;
    results.u32(static_cast<std::uint32_t>(gallery.enrolleeCount()));
    results.u32(static_cast<std::uint32_t>(gallery.templateCount()));
    results.u32(gallery.capacity());
    results.u32(static_cast<std::uint32_t>(names.size()));
    CommandOutcome outcome;
    outcome.status = gallery.enrolleeCount() == 0 ? state_.scene.emptyGalleryStatus : 0;
    outcome.results = results.take();
    if (namesWanted && gallery.enrolleeCount() > 0) {
        outcome.data = names.take();
    }
    return outcome;
}

CommandOutcome GalleryCommands::enroll(const Params& params, Clock::time_point now) {
    std::string id;
    if (!params.text(0, id) || !isValidUserId(id)) {
        return CommandOutcome::failure(CAMX_INVALID_PARAMETER);
    }
    if (state_.capturing(now)) {
        return CommandOutcome::failure(CAMX_DEV_BUSY);
    }
    const CaptureResult* completed = state_.completedResult(now);
    if (completed == nullptr || !completed->anyQualified()) {
        return CommandOutcome::failure(CAMX_SE_NO_QUALIFIED_FRAME);
    }
    return CommandOutcome::failure(state_.gallery.add(
        id, templatesOf(*completed, state_.profile.effectiveFirmware()),
        state_.settings.deduplicateOnEnroll(), state_.settings.imposterThreshold()));
}

}  // namespace ocusim
