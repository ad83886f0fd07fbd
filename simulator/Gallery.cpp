#include "simulator/Gallery.h"

#include <utility>

#include "sdk/SdkStatus.h"
#include "simulator/GalleryFile.h"
#include "simulator/IrisMatcher.h"
#include "simulator/Matching.h"

namespace ocusim {

Gallery::Gallery(std::uint32_t capacity, std::string file)
    : capacity_(capacity), file_(std::move(file)) {}

std::uint32_t Gallery::open() {
    working_.clear();
    committed_.clear();
    return load();
}

std::size_t Gallery::templateCount() const {
    std::size_t count = 0;
    for (const Enrollee& enrollee : working_) {
        count += enrollee.templates.size();
    }
    return count;
}

const Enrollee* Gallery::find(const std::string& id) const {
    for (const Enrollee& enrollee : working_) {
        if (enrollee.id == id) {
            return &enrollee;
        }
    }
    return nullptr;
}

Enrollee* Gallery::findEntry(const std::string& id) {
    for (Enrollee& enrollee : working_) {
        if (enrollee.id == id) {
            return &enrollee;
        }
    }
    return nullptr;
}

std::uint32_t Gallery::add(const std::string& id, const std::vector<EyeTemplate>& templates,
                           bool deduplicate, float imposterThreshold) {
    if (templates.empty()) {
        return CAMX_TPL_UNAVAILABLE;
    }
    Enrollee* existing = findEntry(id);
    const std::size_t held = existing != nullptr ? existing->templates.size() : 0;
    if (held >= kMaxTemplatesPerId) {
        return CAMX_GAL_ID_SLOT_FULL;
    }
    if (held + templates.size() > kMaxTemplatesPerId) {
        return CAMX_GAL_ID_NOT_ENOUGH_SLOT;
    }
    const std::size_t used = templateCount();
    if (used >= capacity_) {
        return CAMX_GAL_FULL;
    }
    if (used + templates.size() > capacity_) {
        return CAMX_GAL_NOT_ENOUGH_SLOT;
    }
    if (deduplicate) {
        for (const Enrollee& other : working_) {
            if (other.id == id) {
                continue;
            }
            for (const EyeTemplate& stored : other.templates) {
                for (const EyeTemplate& candidate : templates) {
                    if (compatibleEyes(stored.eyePosition, candidate.eyePosition) &&
                        IrisMatcher::distance(stored.code, candidate.code) < imposterThreshold) {
                        return CAMX_GAL_ENROLL_DUPLICATED;
                    }
                }
            }
        }
    }
    if (existing == nullptr) {
        working_.push_back(Enrollee{id, {}});
        existing = &working_.back();
    }
    existing->templates.insert(existing->templates.end(), templates.begin(), templates.end());
    return CAMX_OK;
}

std::uint32_t Gallery::remove(const std::string& id) {
    for (auto it = working_.begin(); it != working_.end(); ++it) {
        if (it->id == id) {
            working_.erase(it);
            return CAMX_OK;
        }
    }
    return CAMX_GAL_ID_NOT_EXIST;
}

std::uint32_t Gallery::commit() {
    if (!file_.empty()) {
        const std::chrono::milliseconds pause = std::exchange(commitPause_, {});
        if (!writeFileAtomically(file_, serializeGallery(working_), pause)) {
            return CAMX_DEV_IO_FAILED;
        }
    }
    committed_ = working_;
    return CAMX_OK;
}

std::uint32_t Gallery::load() {
    if (file_.empty()) {
        working_ = committed_;
        return CAMX_OK;
    }
    std::vector<std::uint8_t> bytes;
    bool exists = false;
    if (!readWholeFile(file_, bytes, exists)) {
        return CAMX_GAL_LOAD_FAILED;
    }
    std::vector<Enrollee> loaded;
    if (exists && !parseGallery(bytes, loaded)) {
        return CAMX_GAL_LOAD_FAILED;
    }
    committed_ = loaded;
    working_ = std::move(loaded);
    return CAMX_OK;
}

}  // namespace ocusim
