#include "web/ByteSink.h"

namespace lensws {

ByteSink::~ByteSink() = default;

}  // namespace lensws
