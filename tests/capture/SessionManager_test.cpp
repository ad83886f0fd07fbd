#include "capture/SessionManager.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "capture/ManualClock.h"
#include "capture/WellFormedUuid.h"

namespace lensws {
namespace {

using testsupport::ManualClock;

constexpr std::int64_t kStart = 1'700'000'000;

class SessionManagerTest : public ::testing::Test {
protected:
    ManualClock clock{kStart};
    SessionManager sessions{600, 30, clock};

    std::string registerOne() {
        SessionManager::SessionId id;
        EXPECT_EQ(sessions.registerSession(id), ResultStatus::success);
        return id;
    }
    ResultStatus holder(const std::string& id) {
        return sessions.checkLockHolder(id.c_str(), false);
    }
};

TEST_F(SessionManagerTest, RegistrationGivesDistinctLowerCaseIdentifiers) {
    std::set<std::string> seen;
    for (int i = 0; i < SessionManager::kSlotCount; ++i) {
        std::string id = registerOne();
        EXPECT_TRUE(isWellFormedUuid(id.c_str()));
        for (char c : id) {
            EXPECT_FALSE(std::isupper(static_cast<unsigned char>(c))) << id;
        }
        EXPECT_EQ(id[14], '4') << "version 4: " << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(SessionManager::kSlotCount));
}

TEST_F(SessionManagerTest, TableHoldsThirtySessionsUntilOneExpires) {
    std::vector<std::string> ids;
    for (int i = 0; i < SessionManager::kSlotCount; ++i) {
        ids.push_back(registerOne());
    }
    SessionManager::SessionId extra;
    EXPECT_EQ(sessions.registerSession(extra), ResultStatus::failure);
    EXPECT_STREQ(extra, "");

    // All but the first stay busy; the first is idle for exactly 600 s, then 601 s.
    clock.advance(300);
    for (std::size_t i = 1; i < ids.size(); ++i) {
        sessions.checkLockHolder(ids[i].c_str(), true);
    }
    clock.advance(300);
    EXPECT_EQ(sessions.registerSession(extra), ResultStatus::failure);
    clock.advance(1);
    ASSERT_EQ(sessions.registerSession(extra), ResultStatus::success);
    EXPECT_EQ(holder(extra), ResultStatus::lockNotHeld);
    EXPECT_EQ(holder(ids[0]), ResultStatus::invalidId);
    EXPECT_EQ(holder(ids[1]), ResultStatus::lockNotHeld);
}

TEST_F(SessionManagerTest, SessionLivesSixHundredSecondsAfterItsLastTouch) {
    std::string id = registerOne();
    clock.advance(600);
    EXPECT_EQ(sessions.checkLockHolder(id.c_str(), true), ResultStatus::lockNotHeld);
    clock.advance(600);
    EXPECT_EQ(sessions.acquireLock(id.c_str()), ResultStatus::success);
    clock.advance(601);
    EXPECT_EQ(sessions.checkLockHolder(id.c_str(), true), ResultStatus::invalidId);
    // Never revived: every later lookup answers invalidId too.
    EXPECT_EQ(sessions.acquireLock(id.c_str()), ResultStatus::invalidId);
    EXPECT_EQ(sessions.stealLock(id.c_str()), ResultStatus::invalidId);
}

TEST_F(SessionManagerTest, LookupsWithoutTouchKeepNoSessionAlive) {
    std::string id = registerOne();
    clock.advance(500);
    EXPECT_EQ(holder(id), ResultStatus::lockNotHeld);
    clock.advance(101);
    EXPECT_EQ(holder(id), ResultStatus::invalidId);
}

TEST_F(SessionManagerTest, EveryLockOperationTouches) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.advance(400);
    EXPECT_EQ(sessions.releaseLock(b.c_str()), ResultStatus::lockHeldByAnother);
    clock.advance(400);
    // b was touched by its refused release 400 s ago; a was last touched 800 s ago.
    EXPECT_EQ(holder(b), ResultStatus::lockNotHeld);
    EXPECT_EQ(holder(a), ResultStatus::invalidId);
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success);
    clock.advance(599);
    EXPECT_EQ(holder(b), ResultStatus::success);
}

TEST_F(SessionManagerTest, UpperCaseFormOfALiveIdentifierIsUnknown) {
    std::string id = registerOne();
    std::string upper = id;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    ASSERT_NE(upper, id);
    EXPECT_TRUE(isWellFormedUuid(upper.c_str()));
    EXPECT_EQ(sessions.acquireLock(upper.c_str()), ResultStatus::invalidId);
    EXPECT_EQ(sessions.checkLockHolder(upper.c_str(), true), ResultStatus::invalidId);
}

TEST_F(SessionManagerTest, LockAndUnlockRules) {
    std::string a = registerOne();
    std::string b = registerOne();
    const char* unknown = "00000000-0000-4000-8000-000000000000";
    EXPECT_EQ(sessions.releaseLock(a.c_str()), ResultStatus::success) << "free lock";
    EXPECT_EQ(sessions.acquireLock(unknown), ResultStatus::invalidId);
    EXPECT_EQ(sessions.releaseLock(unknown), ResultStatus::invalidId);
    EXPECT_EQ(sessions.stealLock(unknown), ResultStatus::invalidId);
    EXPECT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    EXPECT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success) << "again by the holder";
    EXPECT_EQ(sessions.acquireLock(b.c_str()), ResultStatus::lockHeldByAnother);
    EXPECT_EQ(sessions.releaseLock(b.c_str()), ResultStatus::lockHeldByAnother);
    EXPECT_EQ(holder(a), ResultStatus::success);
    EXPECT_EQ(holder(b), ResultStatus::lockHeldByAnother);
    EXPECT_EQ(sessions.releaseLock(a.c_str()), ResultStatus::success);
    EXPECT_EQ(holder(a), ResultStatus::lockNotHeld);
    EXPECT_EQ(sessions.acquireLock(b.c_str()), ResultStatus::success);
}

TEST_F(SessionManagerTest, StealWindowRunsFromTheLastSuccessfulSteal) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    // The first steal after start is never refused by the period.
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success);
    EXPECT_EQ(holder(b), ResultStatus::success);

    clock.advance(29);
    EXPECT_EQ(sessions.stealLock(a.c_str()), ResultStatus::failure);
    clock.advance(1);
    EXPECT_EQ(sessions.stealLock(a.c_str()), ResultStatus::failure) << "30 s is still inside";
    EXPECT_EQ(holder(b), ResultStatus::success);
    clock.advance(1);
    EXPECT_EQ(sessions.stealLock(a.c_str()), ResultStatus::success) << "31 s";
    EXPECT_EQ(holder(a), ResultStatus::success);
    EXPECT_EQ(holder(b), ResultStatus::lockHeldByAnother);
}

TEST_F(SessionManagerTest, TakingTheLockWithPostDoesNotRestartTheStealWindow) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    ASSERT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success);  // steal at kStart
    ASSERT_EQ(sessions.releaseLock(b.c_str()), ResultStatus::success);
    clock.advance(20);
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.advance(10);
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::failure) << "30 s after the steal";
    clock.advance(1);
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success) << "11 s after the POST";
}

TEST_F(SessionManagerTest, StealingAFreeOrOwnLockLeavesTheWindowAlone) {
    std::string a = registerOne();
    std::string b = registerOne();
    EXPECT_EQ(sessions.stealLock(a.c_str()), ResultStatus::success) << "free lock";
    EXPECT_EQ(sessions.stealLock(a.c_str()), ResultStatus::success) << "own lock";
    clock.advance(1);
    // No steal from a valid owner happened yet, so this one is not refused.
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success);
}

TEST_F(SessionManagerTest, ExpiredHolderLeavesTheLockFree) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.advance(590);
    sessions.checkLockHolder(b.c_str(), true);
    clock.advance(11);
    EXPECT_EQ(holder(b), ResultStatus::lockNotHeld);
    EXPECT_EQ(sessions.acquireLock(b.c_str()), ResultStatus::success) << "no steal needed";
    EXPECT_EQ(holder(a), ResultStatus::invalidId);
}

TEST_F(SessionManagerTest, StealFromAnExpiredHolderDoesNotStartTheWindow) {
    std::string a = registerOne();
    std::string b = registerOne();
    std::string c = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.advance(300);
    sessions.checkLockHolder(b.c_str(), true);
    sessions.checkLockHolder(c.c_str(), true);
    clock.advance(301);
    ASSERT_EQ(sessions.stealLock(b.c_str()), ResultStatus::success);
    EXPECT_EQ(sessions.stealLock(c.c_str()), ResultStatus::success);
}

TEST_F(SessionManagerTest, PurgeOnRegistrationFreesTheHoldersSlotAndTheLock) {
    std::string a = registerOne();  // slot 0
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.advance(300);
    sessions.checkLockHolder(b.c_str(), true);
    clock.advance(301);
    // a's slot is purged and reused: the newcomer must not inherit the lock.
    std::string c = registerOne();
    EXPECT_EQ(holder(c), ResultStatus::lockNotHeld);
    EXPECT_EQ(holder(b), ResultStatus::lockNotHeld);
    EXPECT_EQ(holder(a), ResultStatus::invalidId);
    EXPECT_EQ(sessions.acquireLock(c.c_str()), ResultStatus::success);
    EXPECT_EQ(holder(b), ResultStatus::lockHeldByAnother);
}

TEST_F(SessionManagerTest, UnregisterFreesSlotAndLock) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    sessions.unregisterSession(a.c_str());
    EXPECT_EQ(holder(a), ResultStatus::invalidId);
    EXPECT_EQ(holder(b), ResultStatus::lockNotHeld);
    sessions.unregisterSession(a.c_str());  // unknown now: nothing happens
    sessions.unregisterSession("00000000-0000-4000-8000-000000000000");
    EXPECT_EQ(holder(b), ResultStatus::lockNotHeld);
    // The freed slot is taken by the next registration.
    std::vector<std::string> more;
    for (int i = 0; i < SessionManager::kSlotCount - 1; ++i) {
        more.push_back(registerOne());
    }
    SessionManager::SessionId full;
    EXPECT_EQ(sessions.registerSession(full), ResultStatus::failure);
}

TEST_F(SessionManagerTest, UnreadableClock) {
    std::string a = registerOne();
    std::string b = registerOne();
    ASSERT_EQ(sessions.acquireLock(a.c_str()), ResultStatus::success);
    clock.set(-1);
    SessionManager::SessionId id;
    EXPECT_EQ(sessions.registerSession(id), ResultStatus::failure);
    // Sessions do not expire while the time is unknown, and a steal is refused.
    EXPECT_EQ(holder(a), ResultStatus::success);
    EXPECT_EQ(sessions.stealLock(b.c_str()), ResultStatus::failure);
    EXPECT_EQ(holder(a), ResultStatus::success);
}

// Identifier sources for the tests below.
int drawn = 0;
bool repeatingIds(SessionManager::SessionId& out) {
    static const char* const kIds[] = {"11111111-1111-4111-8111-111111111111",
                                       "11111111-1111-4111-8111-111111111111",
                                       "22222222-2222-4222-8222-222222222222"};
    std::strcpy(out, kIds[drawn++ % 3]);
    return true;
}
bool noIds(SessionManager::SessionId& out) {
    out[0] = '\0';
    return false;
}

TEST(SessionManagerIds, IdentifierAlreadyInTheTableIsDrawnAgain) {
    ManualClock clock(kStart);
    SessionManager sessions(600, 30, clock, &repeatingIds);
    drawn = 0;
    SessionManager::SessionId first;
    SessionManager::SessionId second;
    ASSERT_EQ(sessions.registerSession(first), ResultStatus::success);
    ASSERT_EQ(sessions.registerSession(second), ResultStatus::success);
    EXPECT_STREQ(first, "11111111-1111-4111-8111-111111111111");
    EXPECT_STREQ(second, "22222222-2222-4222-8222-222222222222");
    EXPECT_EQ(drawn, 3);
}

TEST(SessionManagerIds, NoIdentifierMeansFailure) {
    ManualClock clock(kStart);
    SessionManager sessions(600, 30, clock, &noIds);
    SessionManager::SessionId id;
    EXPECT_EQ(sessions.registerSession(id), ResultStatus::failure);
}

TEST(SessionManagerIds, ReportsItsPeriods) {
    SessionManager sessions(600, 30);
    EXPECT_EQ(sessions.sessionTimeout(), 600);
    EXPECT_EQ(sessions.lockStealingPreventionPeriod(), 30);
}

}  // namespace
}  // namespace lensws
