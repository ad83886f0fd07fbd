#pragma once

// A temporary directory for one test, removed with everything in it when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace fakes {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/ocu-link-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made != nullptr ? made : "";
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace fakes
