#include "capture/SessionClock.h"

#include <ctime>

namespace lensws {

namespace {

class SystemSessionClock final : public SessionClock {
public:
    std::int64_t now() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

}  // namespace

const SessionClock& SessionClock::system() {
    static const SystemSessionClock clock;
    return clock;
}

}  // namespace lensws
