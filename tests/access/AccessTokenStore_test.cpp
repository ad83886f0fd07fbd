#include "access/AccessTokenStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "support/TempDir.h"
#include "web/Base64.h"

namespace lensws {
namespace {

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

std::vector<std::string> tokensOf(const AccessTokenStore& store) {
    std::vector<std::string> out;
    store.listTokens(out);
    return out;
}

// The file on disk, read by a second store, says the same as `store`.
void expectFileMatches(const AccessTokenStore& store) {
    AccessTokenStore reread(store.path().c_str());
    EXPECT_EQ(reread.tokenAuthentication(), store.tokenAuthentication());
    EXPECT_EQ(tokensOf(reread), tokensOf(store));
}

class AccessTokenStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("tokens.ini");
};

TEST_F(AccessTokenStoreTest, MissingFileMeansCheckOffAndNoTokens) {
    AccessTokenStore store(path.c_str());
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_TRUE(tokensOf(store).empty());
    EXPECT_TRUE(store.isTokenValid("anything"));
    EXPECT_FALSE(store.load());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(AccessTokenStoreTest, SwitchingOnWritesExactlyOne) {
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.setTokenAuthentication(true));
    EXPECT_EQ(readFile(path), "1");
    EXPECT_TRUE(store.tokenAuthentication());
    EXPECT_FALSE(store.isTokenValid("anything"));
    ASSERT_TRUE(store.setTokenAuthentication(false));
    EXPECT_EQ(readFile(path), "0");
}

TEST_F(AccessTokenStoreTest, SettingTheSameSwitchDoesNotWrite) {
    writeFile(path, "1\r\nQQ==\r\n");
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.tokenAuthentication());
    EXPECT_TRUE(store.setTokenAuthentication(true));
    EXPECT_EQ(readFile(path), "1\r\nQQ==\r\n");
}

TEST_F(AccessTokenStoreTest, ReadsSwitchAndBase64Tokens) {
    writeFile(path, "1\nQQ==\nQg==");
    AccessTokenStore store(path.c_str());
    EXPECT_TRUE(store.tokenAuthentication());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(store.isTokenValid("A"));
    EXPECT_TRUE(store.isTokenValid("B"));
    EXPECT_FALSE(store.isTokenValid("C"));
    EXPECT_FALSE(store.isTokenValid("A "));
    EXPECT_FALSE(store.isTokenValid(""));
}

TEST_F(AccessTokenStoreTest, FirstLineTurnsTheCheckOnUnlessItStartsWithZero) {
    struct Case {
        const char* file;
        bool on;
    } cases[] = {{"0", false},       {"0junk\nQQ==", false}, {"1", true}, {"yes\nQQ==", true},
                 {" 0\nQQ==", true}, {"\nQQ==", true},       {"", true},  {"0\r\nQQ==", false}};
    for (const Case& c : cases) {
        writeFile(path, c.file);
        AccessTokenStore store(path.c_str());
        EXPECT_EQ(store.tokenAuthentication(), c.on) << '"' << c.file << '"';
    }
}

TEST_F(AccessTokenStoreTest, CrLfLineEndsAreRead) {
    writeFile(path, "1\r\nQUJD\r\nREVG\r\n");
    AccessTokenStore store(path.c_str());
    EXPECT_TRUE(store.tokenAuthentication());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"ABC", "DEF"}));
}

TEST_F(AccessTokenStoreTest, EmptyLineIsTheEmptyToken) {
    writeFile(path, "1\nQQ==\n\nQg==");
    AccessTokenStore store(path.c_str());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A", "", "B"}));
    EXPECT_TRUE(store.isTokenValid(""));
}

TEST_F(AccessTokenStoreTest, WritesLineFeedBeforeEachTokenAndNoneAfterTheLast) {
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.addToken("A"));
    ASSERT_TRUE(store.addToken("BC"));
    EXPECT_EQ(readFile(path), "0\nQQ==\nQkM=");
    ASSERT_TRUE(store.setTokenAuthentication(true));
    EXPECT_EQ(readFile(path), "1\nQQ==\nQkM=");
    expectFileMatches(store);
}

TEST_F(AccessTokenStoreTest, AddingAStoredTokenFailsAndLeavesTheFileAlone) {
    writeFile(path, "1\r\nQQ==");
    AccessTokenStore store(path.c_str());
    EXPECT_FALSE(store.addToken("A"));
    EXPECT_EQ(readFile(path), "1\r\nQQ==");
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A"}));
}

TEST_F(AccessTokenStoreTest, AddedTokensGoLastAndTrailingBlanksMatter) {
    writeFile(path, "1\nQQ==");
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.addToken("A "));
    ASSERT_TRUE(store.addToken("tok&en%20"));
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A", "A ", "tok&en%20"}));
    EXPECT_TRUE(store.isTokenValid("tok&en%20"));
    EXPECT_FALSE(store.isTokenValid("tok&en "));
    expectFileMatches(store);
}

TEST_F(AccessTokenStoreTest, RemovingATokenStoredTwiceRemovesBothLines) {
    writeFile(path, "1\nQQ==\nQg==\nQQ==");
    AccessTokenStore store(path.c_str());
    ASSERT_EQ(tokensOf(store).size(), 3u);
    ASSERT_TRUE(store.removeToken("A"));
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"B"}));
    EXPECT_EQ(readFile(path), "1\nQg==");
}

TEST_F(AccessTokenStoreTest, RemovingAnUnknownOrEmptyTokenSucceedsWithoutWriting) {
    writeFile(path, "1\r\nQQ==\r\n");
    AccessTokenStore store(path.c_str());
    EXPECT_TRUE(store.removeToken("Z"));
    EXPECT_TRUE(store.removeToken(""));
    EXPECT_EQ(readFile(path), "1\r\nQQ==\r\n");
}

TEST_F(AccessTokenStoreTest, TokenOfTheFullLengthSurvivesAReload) {
    // 8191 and 8192 bytes are the lengths whose Base64 lines carry padding at the limit.
    for (std::size_t length :
         {AccessTokenStore::kMaxTokenLength - 1, AccessTokenStore::kMaxTokenLength}) {
        std::filesystem::remove(path);
        AccessTokenStore store(path.c_str());
        std::string token(length, 'x');
        token[0] = static_cast<char>(0xFF);
        ASSERT_TRUE(store.addToken(token));
        AccessTokenStore reread(path.c_str());
        EXPECT_EQ(tokensOf(reread), (std::vector<std::string>{token})) << length;
    }
}

TEST_F(AccessTokenStoreTest, TokenOverTheLimitIsNeverWritten) {
    AccessTokenStore store(path.c_str());
    std::string longToken(AccessTokenStore::kMaxTokenLength + 1, 'y');
    ASSERT_TRUE(store.addToken("A"));
    ASSERT_TRUE(store.addToken(longToken));
    EXPECT_EQ(readFile(path), "0\nQQ==");
    EXPECT_TRUE(store.isTokenValid(longToken));
}

TEST_F(AccessTokenStoreTest, LinesDecodingBeyondTheLimitAreSkipped) {
    std::string longLine = base64::encode(std::string(AccessTokenStore::kMaxTokenLength + 1, 'z'));
    writeFile(path, "1\nQQ==\n" + longLine + "\nQg==");
    AccessTokenStore store(path.c_str());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A", "B"}));
}

TEST_F(AccessTokenStoreTest, OverlongPhysicalLineIsSkippedWhole) {
    // 20000 characters: the tail after the reader's limit must not become a token of its own.
    std::string line(20000, 'Q');
    writeFile(path, "1\nQQ==\n" + line + "\nQg==\n");
    AccessTokenStore store(path.c_str());
    EXPECT_TRUE(store.tokenAuthentication());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A", "B"}));
}

TEST_F(AccessTokenStoreTest, OverlongFirstLineStillGivesTheSwitchOnly) {
    writeFile(path, "0" + std::string(20000, 'Q') + "\nQQ==");
    AccessTokenStore store(path.c_str());
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_EQ(tokensOf(store), (std::vector<std::string>{"A"}));
}

TEST_F(AccessTokenStoreTest, DirectoryInPlaceOfTheFile) {
    std::filesystem::create_directory(path);
    AccessTokenStore store(path.c_str());
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_TRUE(tokensOf(store).empty());
    EXPECT_FALSE(store.load());

    EXPECT_FALSE(store.addToken("A"));
    EXPECT_TRUE(tokensOf(store).empty());
    EXPECT_FALSE(store.setTokenAuthentication(true));
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(AccessTokenStoreTest, MissingDirectoryMakesSavingFail) {
    std::string nowhere = dir.file("absent/tokens.ini");
    AccessTokenStore store(nowhere.c_str());
    EXPECT_FALSE(store.addToken("A"));
    EXPECT_FALSE(store.setTokenAuthentication(true));
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_TRUE(tokensOf(store).empty());
}

TEST_F(AccessTokenStoreTest, ReadOnlyHomeKeepsMemoryAndFileUnchanged) {
    writeFile(path, "1\nQQ==");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    // Root ignores permissions, so the checks run in a child process that gives up root.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)) {
            ::_exit(10);
        }
        AccessTokenStore store(path.c_str());
        int failures = 0;
        failures += store.addToken("B") ? 1 : 0;
        failures += store.removeToken("A") ? 2 : 0;
        failures += store.setTokenAuthentication(false) ? 4 : 0;
        failures += tokensOf(store) == std::vector<std::string>{"A"} ? 0 : 8;
        failures += store.tokenAuthentication() ? 0 : 16;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(path), "1\nQQ==");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(AccessTokenStoreTest, TokenFileIsPrivateToItsOwner) {
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.addToken("secret"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Kills a process that keeps rewriting the token file at random moments: every time, the file
// must be one of the two complete versions the process alternates between.
TEST_F(AccessTokenStoreTest, KillingTheProcessMidSaveLeavesOldOrNewFile) {
    const std::string big(6000, 'k');
    const std::string stateWithout = "1\nQQ==";
    const std::string stateWith = stateWithout + "\n" + base64::encode(big);
    writeFile(path, stateWithout);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicros(0, 3000);
    int killedWithTemporary = 0;
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AccessTokenStore store(path.c_str());
            for (;;) {
                store.addToken(big);
                store.removeToken(big);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (std::filesystem::exists(path + ".tmp")) {
            ++killedWithTemporary;
        }
        std::string content = readFile(path);
        ASSERT_TRUE(content == stateWithout || content == stateWith)
            << "round " << round << ": " << content.size() << " bytes";
    }
    // The kills did land inside saves (a temporary file was left behind) at least once.
    EXPECT_GT(killedWithTemporary, 0);
}

}  // namespace
}  // namespace lensws
