#pragma once

namespace sdk {

// Longest user identifier the camera stores, terminator excluded.
constexpr unsigned kMaxEnrolleeIdLength = 31;

// True for 1 to 31 characters, each an ASCII letter or digit: the only user identifiers the
// SDK sends to the camera.
bool isValidEnrolleeId(const char* userId);

}  // namespace sdk
