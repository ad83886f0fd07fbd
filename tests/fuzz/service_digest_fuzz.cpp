// Fuzzes the parser of digest Authorization headers, which reads what any client sends to the
// administration area, and the request-target comparison behind it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "service/DigestAuthGuard.h"
#include "service/DigestAuthorization.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    lensws::DigestAuthorization credentials;
    if (credentials.parse(text)) {
        credentials.responseMatches("0123456789abcdef0123456789abcdef", "GET");
        lensws::DigestAuthGuard::uriMatchesTarget(credentials.uri, "/1.0/admin/tokens", "a=1");
    }
    lensws::DigestAuthGuard::uriMatchesTarget(text, "/1.0/admin/tokens", nullptr);
    return 0;
}
