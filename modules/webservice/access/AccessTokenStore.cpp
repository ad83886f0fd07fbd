#include "access/AccessTokenStore.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "access/AtomicFile.h"
#include "web/Base64.h"

namespace lensws {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads one physical line without its line feed. A line longer than `limit` characters is
// consumed to its end and reported as `tooLong`, so that its tail never passes for a line of
// its own. False at the end of the file.
bool readLine(std::FILE* file, std::string& line, bool& tooLong, std::size_t limit) {
    line.clear();
    tooLong = false;
    int c = std::getc(file);
    if (c == EOF) {
        return false;
    }
    while (c != EOF && c != '\n') {
        if (line.size() < limit) {
            line += static_cast<char>(c);
        } else {
            tooLong = true;
        }
        c = std::getc(file);
    }
    return true;
}

}  // namespace

AccessTokenStore::AccessTokenStore(const char* tokenFilePath)
    : path_(tokenFilePath != nullptr ? tokenFilePath : "") {
    load();
}

bool AccessTokenStore::load() {
    std::lock_guard<std::mutex> hold(mutex_);
    tokens_.clear();
    tokenAuthentication_ = false;
    FilePtr file(std::fopen(path_.c_str(), "r"));
    if (!file) {
        return false;
    }
    std::string line;
    bool tooLong = false;
    // An empty file has an empty first line, which means on.
    bool on =
        !readLine(file.get(), line, tooLong, kMaxLineLength) || line.empty() || line[0] != '0';
    std::vector<std::string> tokens;
    while (readLine(file.get(), line, tooLong, kMaxLineLength)) {
        if (tooLong) {
            continue;
        }
        std::string token = base64::decode(line);
        // The limit is the writer's: whatever was saved is read back.
        if (token.size() <= kMaxTokenLength) {
            tokens.push_back(std::move(token));
        }
    }
    if (std::ferror(file.get())) {
        // A read error (a directory in place of the file, for instance) is an unreadable file.
        return false;
    }
    tokenAuthentication_ = on;
    tokens_ = std::move(tokens);
    return true;
}

bool AccessTokenStore::isTokenValid(std::string_view token) const {
    std::lock_guard<std::mutex> hold(mutex_);
    return !tokenAuthentication_ || containsLocked(token);
}

bool AccessTokenStore::setTokenAuthentication(bool on) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (tokenAuthentication_ == on) {
        return true;
    }
    if (!saveLocked(on, nullptr, nullptr)) {
        return false;
    }
    tokenAuthentication_ = on;
    return true;
}

bool AccessTokenStore::addToken(std::string_view token) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (containsLocked(token)) {
        return false;
    }
    // Room first, so that nothing can fail between saving the file and adding to memory.
    std::string copy(token);
    tokens_.reserve(tokens_.size() + 1);
    if (!saveLocked(tokenAuthentication_, nullptr, &token)) {
        return false;
    }
    tokens_.push_back(std::move(copy));
    return true;
}

bool AccessTokenStore::removeToken(std::string_view token) {
    if (token.empty()) {
        return true;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    if (!containsLocked(token)) {
        return true;
    }
    if (!saveLocked(tokenAuthentication_, &token, nullptr)) {
        return false;
    }
    tokens_.erase(std::remove(tokens_.begin(), tokens_.end(), token), tokens_.end());
    return true;
}

void AccessTokenStore::listTokens(std::vector<std::string>& out) const {
    std::lock_guard<std::mutex> hold(mutex_);
    out.insert(out.end(), tokens_.begin(), tokens_.end());
}

bool AccessTokenStore::containsLocked(std::string_view token) const {
    return std::find(tokens_.begin(), tokens_.end(), token) != tokens_.end();
}

bool AccessTokenStore::saveLocked(bool on, const std::string_view* omit,
                                  const std::string_view* append) const {
    std::string content(1, on ? '1' : '0');
    auto put = [&content](std::string_view token) {
        if (token.size() <= kMaxTokenLength) {
            content += '\n';
            content += base64::encode(token);
        }
    };
    for (const std::string& token : tokens_) {
        if (omit == nullptr || token != *omit) {
            put(token);
        }
    }
    if (append != nullptr) {
        put(*append);
    }
    return replaceFileAtomically(path_, content);
}

}  // namespace lensws
