#pragma once

// A fresh directory under /tmp, removed with everything in it when the object goes.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lensws::testing {

class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/ocuservice-test-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Writes `text` to `name` (directories created as needed) and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        std::string target = file(name);
        std::filesystem::create_directories(std::filesystem::path(target).parent_path());
        std::ofstream(target, std::ios::binary) << text;
        return target;
    }

private:
    std::string path_;
};

}  // namespace lensws::testing
