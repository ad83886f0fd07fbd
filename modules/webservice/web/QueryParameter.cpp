#include "web/QueryParameter.h"

#include <cstring>

namespace lensws {

QueryValue lookupQueryParameter(const char* query, std::size_t queryLength, const char* name) {
    if (name == nullptr || name[0] == '\0' || name[0] == '&' || query == nullptr ||
        queryLength == 0) {
        return QueryValue();
    }
    const std::size_t nameLength = std::strlen(name);
    // Occurrences are searched inside the query text only: one reaching beyond it ends the
    // search, and so does the last possible start.
    for (std::size_t at = 0; at + nameLength <= queryLength; ++at) {
        if (std::memcmp(query + at, name, nameLength) != 0) {
            continue;
        }
        const std::size_t equals = at + nameLength;
        const bool atPairStart = at == 0 || query[at - 1] == '&';
        if (!atPairStart || equals >= queryLength || query[equals] != '=') {
            continue;
        }
        const std::size_t start = equals + 1;
        if (start == queryLength) {
            return QueryValue();
        }
        std::size_t end = start;
        while (end < queryLength && query[end] != '&') {
            ++end;
        }
        return QueryValue(query + start, end - start);
    }
    return QueryValue();
}

QueryValue lookupQueryParameter(const char* query, const char* name) {
    return lookupQueryParameter(query, query != nullptr ? std::strlen(query) : 0, name);
}

}  // namespace lensws
