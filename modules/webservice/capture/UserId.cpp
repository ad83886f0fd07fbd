#include "capture/UserId.h"

namespace lensws {

bool isValidUserId(QueryValue userId) {
    return userId.present() && userId.length() >= 1 && userId.length() <= kMaxUserIdLength &&
           userId.view().find('-') == std::string_view::npos;
}

}  // namespace lensws
