#include "service/DigestAuthorization.h"

#include <civetweb.h>

namespace lensws {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isTokenChar(char c) {
    return c > 0x20 && c < 0x7f && c != ',' && c != '"' && c != '=' && c != ';';
}

void skipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

// Reads a token or a quoted string at `at` into `value`.
bool readValue(std::string_view text, std::size_t& at, std::string& value) {
    value.clear();
    if (at < text.size() && text[at] == '"') {
        ++at;
        while (at < text.size() && text[at] != '"') {
            if (text[at] == '\\') {
                ++at;
                if (at == text.size()) {
                    return false;
                }
            }
            value += text[at++];
        }
        if (at == text.size()) {
            return false;
        }
        ++at;
        return true;
    }
    std::size_t start = at;
    while (at < text.size() && isTokenChar(text[at])) {
        ++at;
    }
    value.assign(text.substr(start, at - start));
    return at > start;
}

}  // namespace

bool DigestAuthorization::parse(std::string_view header) {
    *this = DigestAuthorization{};
    constexpr std::string_view kScheme = "Digest";
    if (header.size() <= kScheme.size() ||
        !equalsIgnoringCase(header.substr(0, kScheme.size()), kScheme) ||
        !isBlank(header[kScheme.size()])) {
        return false;
    }
    struct Field {
        std::string_view name;
        std::string* value;
        bool seen;
    } fields[] = {{"username", &username, false},
                  {"realm", &realm, false},
                  {"nonce", &nonce, false},
                  {"uri", &uri, false},
                  {"response", &response, false},
                  {"qop", &qop, false},
                  {"nc", &nc, false},
                  {"cnonce", &cnonce, false},
                  {"algorithm", &algorithm, false}};

    std::size_t at = kScheme.size();
    std::string value;
    for (;;) {
        skipBlanks(header, at);
        std::size_t nameStart = at;
        while (at < header.size() && isTokenChar(header[at])) {
            ++at;
        }
        std::string_view name = header.substr(nameStart, at - nameStart);
        skipBlanks(header, at);
        if (name.empty() || at == header.size() || header[at] != '=') {
            return false;
        }
        ++at;
        skipBlanks(header, at);
        if (!readValue(header, at, value)) {
            return false;
        }
        for (Field& field : fields) {
            if (!field.seen && equalsIgnoringCase(name, field.name)) {
                *field.value = value;
                field.seen = true;
            }
        }
        skipBlanks(header, at);
        if (at == header.size()) {
            return true;
        }
        if (header[at] != ',') {
            return false;
        }
        ++at;
    }
}

std::string DigestAuthorization::expectedResponse(const std::string& ha1,
                                                  const char* method) const {
    char ha2[33];
    char result[33];
    mg_md5(ha2, method, ":", uri.c_str(), nullptr);
    mg_md5(result, ha1.c_str(), ":", nonce.c_str(), ":", nc.c_str(), ":", cnonce.c_str(), ":",
           qop.c_str(), ":", ha2, nullptr);
    return result;
}

bool DigestAuthorization::responseMatches(const std::string& ha1, const char* method) const {
    return equalInConstantTime(response, expectedResponse(ha1, method));
}

bool equalInConstantTime(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

}  // namespace lensws
