#pragma once

#include <cstddef>

#include "web/QueryParameter.h"

namespace lensws {

// The longest user identifier the camera's gallery holds.
constexpr std::size_t kMaxUserIdLength = 31;

// A "user_id" the service passes on to the camera: present, 1 to 31 characters, no "-". The
// camera is stricter (letters and digits only) and refuses the rest itself.
bool isValidUserId(QueryValue userId);

}  // namespace lensws
