#pragma once

#include <string>
#include <string_view>

namespace lensws {

// The fields of an HTTP "Authorization: Digest ..." header. Parsing takes the header's text
// (the value, starting with the scheme) and keeps the first value of each field; quoted values
// lose their quotes and backslash escapes.
struct DigestAuthorization {
    std::string username;
    std::string realm;
    std::string nonce;
    std::string uri;
    std::string response;
    std::string qop;
    std::string nc;
    std::string cnonce;
    std::string algorithm;

    // False when `header` is not a well-formed Digest authorization.
    bool parse(std::string_view header);

    // The response a client knowing the password gives, from the stored hash
    // HA1 = md5(user:realm:password) and the request's method, for qop "auth".
    std::string expectedResponse(const std::string& ha1, const char* method) const;

    // Whether `response` is the expected one; compared in constant time.
    bool responseMatches(const std::string& ha1, const char* method) const;
};

// Compares two texts in a time that does not depend on where they differ.
bool equalInConstantTime(std::string_view a, std::string_view b);

}  // namespace lensws
