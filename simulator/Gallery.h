#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "simulator/TemplateCodec.h"

namespace ocusim {

struct Enrollee {
    std::string id;
    std::vector<EyeTemplate> templates;  // one per enrolled eye image, at most kMaxTemplatesPerId
};

// The enrolled users the camera keeps. Changes go to a working copy; `commit` makes it the
// committed gallery (and writes the gallery file atomically when there is one); `load` throws
// the working copy away and reads the committed gallery back, from the file when there is one.
// Used by the simulator's single thread only.
class Gallery {
public:
    static constexpr std::size_t kMaxTemplatesPerId = 8;

    // `file` empty: the committed gallery lives in memory only.
    Gallery(std::uint32_t capacity, std::string file);

    // Reads the committed gallery at start-up; a missing file is an empty gallery.
    // Returns 0 or CAMX_GAL_LOAD_FAILED (the working copy is then empty).
    std::uint32_t open();

    std::uint32_t capacity() const { return capacity_; }
    std::size_t enrolleeCount() const { return working_.size(); }
    std::size_t templateCount() const;
    const std::vector<Enrollee>& enrollees() const { return working_; }
    const Enrollee* find(const std::string& id) const;

    // Adds templates under `id`. With `deduplicate`, a template closer than `imposterThreshold`
    // to a template of another user is refused as a duplicate enrollment. Returns 0 or the
    // camera's gallery status (slot limits, duplicate, full).
    std::uint32_t add(const std::string& id, const std::vector<EyeTemplate>& templates,
                      bool deduplicate, float imposterThreshold);
    // 0, or CAMX_GAL_ID_NOT_EXIST.
    std::uint32_t remove(const std::string& id);
    void removeAll() { working_.clear(); }
    // 0, or CAMX_DEV_IO_FAILED when the file cannot be written (nothing changes then).
    std::uint32_t commit();
    // The next commit that writes the file holds its written temporary file back for `pause`
    // before renaming it over the gallery file, the whole camera waiting with it: a window in
    // which a test can kill the camera in the middle of a commit.
    void pauseNextCommit(std::chrono::milliseconds pause) { commitPause_ = pause; }
    // 0, or CAMX_GAL_LOAD_FAILED (the working copy is left as it was).
    std::uint32_t load();

private:
    Enrollee* findEntry(const std::string& id);

    std::uint32_t capacity_;
    std::string file_;
    std::vector<Enrollee> working_;
    std::vector<Enrollee> committed_;
    std::chrono::milliseconds commitPause_{0};
};

}  // namespace ocusim
