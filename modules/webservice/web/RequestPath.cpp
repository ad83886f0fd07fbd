#include "web/RequestPath.h"

#include <civetweb.h>

#include "web/PathTokenizer.h"

namespace lensws {

const char* requestPath(mg_connection* connection) {
    const mg_request_info* info = mg_get_request_info(connection);
    return info != nullptr && info->local_uri != nullptr ? info->local_uri : "";
}

std::string_view commandWord(mg_connection* connection) {
    PathTokenizer path(requestPath(connection));
    path.first();
    return path.next();
}

std::string_view pathFromCommandWord(mg_connection* connection) {
    const char* whole = requestPath(connection);
    PathTokenizer path(whole);
    path.first();
    std::string_view word = path.next();
    if (word.data() == whole || word.data()[-1] != '/') {
        return std::string_view();
    }
    return std::string_view(word.data() - 1);
}

}  // namespace lensws
