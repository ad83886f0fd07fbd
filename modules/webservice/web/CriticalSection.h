#pragma once

#include <mutex>

namespace vtl_base_type {

// A recursive lock, the platform critical section of the service: the thread that holds it
// may enter it again and must leave it as often as it entered.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter() { mutex_.lock(); }
    void leave() { mutex_.unlock(); }

    // Enters the section for its lifetime. Built without a section it does nothing, which lets
    // code that already holds the section share the same paths.
    class Guard {
    public:
        explicit Guard(CriticalSection* section) : section_(section) {
            if (section_ != nullptr) {
                section_->enter();
            }
        }
        ~Guard() {
            if (section_ != nullptr) {
                section_->leave();
            }
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CriticalSection* section_;
    };

private:
    std::recursive_mutex mutex_;
};

}  // namespace vtl_base_type
