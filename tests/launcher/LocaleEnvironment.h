#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace drvlaunch::testing {

// Sets LC_ALL while it lives and puts the old value back, so system messages come in a known
// language.
class LocaleEnvironment {
public:
    explicit LocaleEnvironment(const char* value) {
        if (const char* old = std::getenv("LC_ALL")) {
            old_ = old;
        }
        setenv("LC_ALL", value, 1);
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;
    ~LocaleEnvironment() {
        if (old_) {
            setenv("LC_ALL", old_->c_str(), 1);
        } else {
            unsetenv("LC_ALL");
        }
    }

private:
    std::optional<std::string> old_;
};

}  // namespace drvlaunch::testing
