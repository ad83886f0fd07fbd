#pragma once

#include <cstdint>
#include <mutex>

#include "capture/LockRecord.h"
#include "capture/SessionClock.h"
#include "capture/SessionSlot.h"
#include "platform/Uuid.h"
#include "web/ResultStatus.h"

namespace lensws {

// The client sessions and the single sensor lock, in memory only.
//
// A session lives while it is touched at least every `sessionTimeout` seconds (a request at
// exactly that age still succeeds); an expired session is never revived, every lookup answers
// invalidId, and the next registration purges it. Lock, unlock, steal, unregister and the
// holder check of the sensor endpoints touch the caller's session. A steal from a valid owner
// is refused while fewer than `lockStealingPreventionPeriod` seconds passed since the last
// successful steal (not since the lock was taken).
//
// Every operation holds `guard_` from its first to its last step and calls nothing outside this
// class while holding it. Identifiers are 36-character zero-terminated texts compared exactly.
class SessionManager {
public:
    static constexpr int kSlotCount = 30;
    using SessionId = char[platform::kUuidTextLength + 1];
    // Makes a fresh identifier; false when none could be made.
    using IdSource = bool (*)(SessionId& out);

    // `clock` must outlive the manager.
    SessionManager(std::int32_t sessionTimeout, std::int32_t lockStealingPreventionPeriod,
                   const SessionClock& clock = SessionClock::system(),
                   IdSource newId = &platform::newUuidText);
    SessionManager(const SessionManager&) = delete;
    SessionManager& operator=(const SessionManager&) = delete;

    // success with the new identifier in `id`, or failure (table full, no identifier, no clock).
    ResultStatus registerSession(SessionId& id);
    // Frees the session's slot and, if it held the lock, the lock. Unknown identifiers are ignored.
    void unregisterSession(const char* id);

    ResultStatus acquireLock(const char* id);
    ResultStatus releaseLock(const char* id);
    ResultStatus stealLock(const char* id);
    // success when `id` holds the lock; else invalidId, lockNotHeld or lockHeldByAnother.
    ResultStatus checkLockHolder(const char* id, bool touch);

    std::int32_t sessionTimeout() const { return sessionTimeout_; }
    std::int32_t lockStealingPreventionPeriod() const { return lock_.stealPreventionPeriod; }

private:
    // The helpers below expect `guard_` to be held.
    ResultStatus findSession(const char* id, bool touch, int& index);
    // Finds the session and refuses when another live session holds the lock.
    ResultStatus findFreeOrHeldBy(const char* id, int& index);
    ResultStatus checkSlot(int index, const char* id, bool touch);
    bool isExpired(std::int64_t lastAccess, std::int64_t now) const;
    void purgeExpired();
    bool ownerIsValid();
    void takeLock(int index);

    std::mutex guard_;
    const std::int32_t sessionTimeout_;
    SessionSlot slots_[kSlotCount];  // guarded by guard_
    LockRecord lock_;                // guarded by guard_ (stealPreventionPeriod is constant)
    const SessionClock& clock_;
    const IdSource newId_;
};

}  // namespace lensws
