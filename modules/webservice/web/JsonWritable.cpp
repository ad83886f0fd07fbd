#include "web/JsonWritable.h"

namespace lensws {

JsonWritable::~JsonWritable() = default;

}  // namespace lensws
