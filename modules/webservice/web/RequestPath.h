#pragma once

#include <string_view>

struct mg_connection;

namespace lensws {

// The request's path without the query, as the web server decoded it ("" when it has none).
const char* requestPath(mg_connection* connection);

// The path's second segment, the handler's command word ("register", "lock", "cancel" …):
// "/1.0/register" gives "register". A view into the request's path.
std::string_view commandWord(mg_connection* connection);

// The rest of the path from the "/" in front of its second segment: "/1.0/admin/config" gives
// "/admin/config". Empty when the path has no "/" there.
std::string_view pathFromCommandWord(mg_connection* connection);

}  // namespace lensws
