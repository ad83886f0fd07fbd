// Query lookup: never reads outside the query, and agrees with a pair-by-pair reading.
//
// Input: one byte giving the name's length, the name, then the query text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "web/QueryParameter.h"

namespace {

// The value of the first "&"-separated pair that starts with name + "="; the "=" that ends the
// query gives none.
bool referenceLookup(std::string_view query, std::string_view name, std::string_view& value) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) {
            end = query.size();
        }
        const std::string_view pair = query.substr(start, end - start);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name &&
            pair[name.size()] == '=') {
            if (start + name.size() + 1 == query.size()) {
                return false;
            }
            value = pair.substr(name.size() + 1);
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t nameLength = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
    // The query in a buffer of exactly its size, so that any overread is caught.
    const std::size_t queryLength = size - 1 - nameLength;
    std::vector<char> query(data + 1 + nameLength, data + size);

    const lensws::QueryValue value =
        lensws::lookupQueryParameter(query.data(), queryLength, name.c_str());
    if (value.present()) {
        const char* begin = query.data();
        if (value.data() <= begin || value.data() + value.length() > begin + queryLength ||
            value.data()[-1] != '=' || std::memchr(value.data(), '&', value.length()) != nullptr) {
            std::abort();
        }
    } else if (value.length() != 0) {
        std::abort();
    }

    // Names holding "&" or "\0" are outside what a pair-by-pair reading can express.
    if (!name.empty() && name.find('&') == std::string::npos &&
        name.find('\0') == std::string::npos && queryLength != 0) {
        std::string_view expected;
        const bool found =
            referenceLookup(std::string_view(query.data(), queryLength), name, expected);
        if (found != value.present() || (found && expected != value.view())) {
            std::abort();
        }
    }
    return 0;
}
