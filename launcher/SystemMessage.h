#pragma once

#include <optional>
#include <string>

namespace drvlaunch {

// The system's text for the error number `code` (an errno value), in the language of the
// user's locale (LC_ALL, LC_MESSAGES, LANG) when that locale is installed and in English
// otherwise. Nothing when the system knows no such error number: no text can be made for it.
std::optional<std::wstring> systemMessage(int code);

}  // namespace drvlaunch
