// Feeds arbitrary bytes to the token-file reader, then checks what a store must always keep:
// no token beyond the length limit, and a file the store writes reads back as the same state.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "access/AccessTokenStore.h"

namespace {

// A private directory for the token file, removed when the fuzzer exits.
class WorkDirectory {
public:
    WorkDirectory() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/access-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            abort();
        }
        directory_ = pattern;
        file_ = directory_ + "/tokens.ini";
    }
    ~WorkDirectory() {
        unlink(file_.c_str());
        unlink((file_ + ".tmp").c_str());
        rmdir(directory_.c_str());
    }
    const std::string& file() const { return file_; }

private:
    std::string directory_;
    std::string file_;
};

const std::string& tokenFile() {
    static const WorkDirectory work;
    return work.file();
}

std::vector<std::string> tokensOf(const lensws::AccessTokenStore& store) {
    std::vector<std::string> tokens;
    store.listTokens(tokens);
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = tokenFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        abort();
    }

    lensws::AccessTokenStore store(path.c_str());
    std::vector<std::string> tokens = tokensOf(store);
    for (const std::string& token : tokens) {
        if (token.size() > lensws::AccessTokenStore::kMaxTokenLength) {
            abort();
        }
    }

    // Rewrite the file through the store (switch flipped) and read it back. An empty token
    // written last is an empty last line, which the reader does not see: the file ends there.
    const bool on = store.tokenAuthentication();
    if (!store.setTokenAuthentication(!on)) {
        abort();
    }
    if (!tokens.empty() && tokens.back().empty()) {
        tokens.pop_back();
    }
    lensws::AccessTokenStore reread(path.c_str());
    if (reread.tokenAuthentication() != !on || tokensOf(reread) != tokens) {
        abort();
    }
    for (const std::string& token : tokens) {
        if (!reread.isTokenValid(token) || !reread.isTokenValid(std::string(token))) {
            abort();
        }
    }
    return 0;
}
