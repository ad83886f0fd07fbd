#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "access/AccessTokenStore.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

// Writers add and remove their own tokens while readers check and list; afterwards memory and
// file agree, and every list a reader saw was a consistent snapshot (no torn entries).
TEST(AccessTokenStoreConcurrency, ConcurrentChangesKeepFileAndMemoryInStep) {
    testsupport::TempDir dir;
    std::string path = dir.file("tokens.ini");
    AccessTokenStore store(path.c_str());
    ASSERT_TRUE(store.setTokenAuthentication(true));

    constexpr int kWriters = 4;
    constexpr int kTokensPerWriter = 25;
    std::atomic<bool> writing{true};
    std::atomic<int> badSnapshots{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&store, w] {
            for (int i = 0; i < kTokensPerWriter; ++i) {
                std::string token = "w" + std::to_string(w) + "-" + std::to_string(i);
                EXPECT_TRUE(store.addToken(token));
                EXPECT_FALSE(store.addToken(token));
                EXPECT_TRUE(store.isTokenValid(token));
                // Every writer keeps its even tokens and removes its odd ones.
                if (i % 2 == 1) {
                    EXPECT_TRUE(store.removeToken(token));
                    EXPECT_FALSE(store.isTokenValid(token));
                }
            }
        });
    }
    for (int r = 0; r < 2; ++r) {
        threads.emplace_back([&store, &writing, &badSnapshots] {
            while (writing.load()) {
                std::vector<std::string> seen;
                store.listTokens(seen);
                std::set<std::string> distinct(seen.begin(), seen.end());
                if (distinct.size() != seen.size()) {
                    ++badSnapshots;
                }
                store.isTokenValid("nobody");
                (void)store.tokenAuthentication();
            }
        });
    }
    for (int w = 0; w < kWriters; ++w) {
        threads[static_cast<std::size_t>(w)].join();
    }
    writing = false;
    for (std::size_t t = kWriters; t < threads.size(); ++t) {
        threads[t].join();
    }

    EXPECT_EQ(badSnapshots.load(), 0);
    std::vector<std::string> tokens;
    store.listTokens(tokens);
    EXPECT_EQ(tokens.size(), static_cast<std::size_t>(kWriters * (kTokensPerWriter + 1) / 2));
    AccessTokenStore reread(path.c_str());
    std::vector<std::string> onDisk;
    reread.listTokens(onDisk);
    EXPECT_EQ(onDisk, tokens);
    EXPECT_TRUE(reread.tokenAuthentication());
}

// Switch changes racing token changes: the last saved state is the one in memory.
TEST(AccessTokenStoreConcurrency, SwitchFlipsRacingTokenChanges) {
    testsupport::TempDir dir;
    std::string path = dir.file("tokens.ini");
    AccessTokenStore store(path.c_str());
    std::thread flipper([&store] {
        for (int i = 0; i < 50; ++i) {
            EXPECT_TRUE(store.setTokenAuthentication(i % 2 == 0));
        }
    });
    std::thread adder([&store] {
        for (int i = 0; i < 50; ++i) {
            EXPECT_TRUE(store.addToken("t" + std::to_string(i)));
        }
    });
    flipper.join();
    adder.join();
    AccessTokenStore reread(path.c_str());
    EXPECT_FALSE(store.tokenAuthentication());
    EXPECT_EQ(reread.tokenAuthentication(), store.tokenAuthentication());
    std::vector<std::string> a, b;
    store.listTokens(a);
    reread.listTokens(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 50u);
}

}  // namespace
}  // namespace lensws
