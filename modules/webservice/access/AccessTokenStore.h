#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace lensws {

// The access tokens a client may present when it registers a session, and the switch that
// turns that check on. Both persist in the token file:
//
//   line 1        "1" (check on) or "0" (check off); on reading, anything but a leading "0"
//                 means on, an empty first line included
//   each further  one token in standard Base64; the writer puts a line feed before each token
//   line          and none after the last one
//
// Tokens longer than kMaxTokenLength bytes are never written. Every change is written to the
// file first and applied in memory only when the file was saved, so memory never runs ahead
// of the file. The file is replaced atomically (temporary file "<path>.tmp", flushed to disk,
// renamed over the old file, directory flushed): whatever moment the process dies at, the token
// file is the old one or the new one, never missing or partial.
//
// Shared by every web-server worker thread: `mutex_` serialises every operation, including the
// file writes; `tokenAuthentication()` is a lock-free read.
class AccessTokenStore {
public:
    static constexpr std::size_t kMaxTokenLength = 8192;
    // Longest line the reader takes; longer lines are skipped whole.
    static constexpr std::size_t kMaxLineLength = 16384;

    // Loads the file at once; a missing or unreadable file leaves the check off and no tokens.
    explicit AccessTokenStore(const char* tokenFilePath);
    AccessTokenStore(const AccessTokenStore&) = delete;
    AccessTokenStore& operator=(const AccessTokenStore&) = delete;

    // Replaces the switch and the tokens with the file's; false when the file cannot be opened
    // (the store is then empty with the check off).
    bool load();

    // True when the check is off, or when `token` equals a stored token byte for byte.
    bool isTokenValid(std::string_view token) const;

    // The switch, read without the lock: a registration racing a change may see either value.
    bool tokenAuthentication() const { return tokenAuthentication_.load(); }

    // Saves the new switch and then applies it; false when the file could not be saved.
    bool setTokenAuthentication(bool on);
    // False when an equal token is already stored or the file could not be saved.
    bool addToken(std::string_view token);
    // Removes every equal entry. True for an empty or unknown token (the file is not touched);
    // false when the file could not be saved.
    bool removeToken(std::string_view token);
    // Appends a copy of every stored token, in list order.
    void listTokens(std::vector<std::string>& out) const;

    const std::string& path() const { return path_; }

private:
    bool containsLocked(std::string_view token) const;
    // Writes the switch and every stored token except those equal to `omit`, then `append`,
    // and puts the result in place of the token file.
    bool saveLocked(bool on, const std::string_view* omit, const std::string_view* append) const;

    const std::string path_;
    mutable std::mutex mutex_;
    std::atomic<bool> tokenAuthentication_{false};  // written under mutex_
    std::vector<std::string> tokens_;               // guarded by mutex_
};

}  // namespace lensws
