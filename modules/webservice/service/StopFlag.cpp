#include "service/StopFlag.h"

namespace lensws {

std::atomic<bool> stopRequested{false};

}  // namespace lensws
