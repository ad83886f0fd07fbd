#include "capture/SessionManager.h"

#include <cstring>

namespace lensws {

namespace {

constexpr std::int64_t kUnreadable = -1;

bool sameId(const char* slotId, const char* id) {
    return id != nullptr && std::strcmp(slotId, id) == 0;
}

}  // namespace

SessionManager::SessionManager(std::int32_t sessionTimeout,
                               std::int32_t lockStealingPreventionPeriod, const SessionClock& clock,
                               IdSource newId)
    : sessionTimeout_(sessionTimeout), clock_(clock), newId_(newId) {
    lock_.stealPreventionPeriod = lockStealingPreventionPeriod;
}

ResultStatus SessionManager::registerSession(SessionId& id) {
    for (;;) {
        if (!newId_(id)) {
            id[0] = '\0';
            return ResultStatus::failure;
        }
        std::lock_guard<std::mutex> hold(guard_);
        purgeExpired();
        int existing = -1;
        if (findSession(id, false, existing) == ResultStatus::success) {
            continue;  // the identifier is taken: draw another one
        }
        std::int64_t now = clock_.now();
        if (now == kUnreadable) {
            id[0] = '\0';
            return ResultStatus::failure;
        }
        for (SessionSlot& slot : slots_) {
            if (slot.inUse == 0 || isExpired(slot.lastAccess, now)) {
                slot.inUse = 1;
                slot.lastAccess = now;
                std::memcpy(slot.sessionId, id, sizeof slot.sessionId);
                return ResultStatus::success;
            }
        }
        id[0] = '\0';
        return ResultStatus::failure;
    }
}

void SessionManager::unregisterSession(const char* id) {
    std::lock_guard<std::mutex> hold(guard_);
    int index = -1;
    if (findSession(id, true, index) != ResultStatus::success) {
        return;
    }
    slots_[index] = SessionSlot();
    if (lock_.ownerSlot == index) {
        lock_.ownerSlot = -1;
    }
}

ResultStatus SessionManager::findFreeOrHeldBy(const char* id, int& index) {
    const ResultStatus found = findSession(id, true, index);
    if (found != ResultStatus::success) {
        return found;
    }
    if (ownerIsValid() && lock_.ownerSlot != index) {
        return ResultStatus::lockHeldByAnother;
    }
    return ResultStatus::success;
}

ResultStatus SessionManager::acquireLock(const char* id) {
    std::lock_guard<std::mutex> hold(guard_);
    int index = -1;
    const ResultStatus found = findFreeOrHeldBy(id, index);
    if (found != ResultStatus::success) {
        return found;
    }
    takeLock(index);
    return ResultStatus::success;
}

ResultStatus SessionManager::releaseLock(const char* id) {
    std::lock_guard<std::mutex> hold(guard_);
    int index = -1;
    const ResultStatus found = findFreeOrHeldBy(id, index);
    if (found != ResultStatus::success) {
        return found;
    }
    lock_.ownerSlot = -1;
    return ResultStatus::success;
}

ResultStatus SessionManager::stealLock(const char* id) {
    std::lock_guard<std::mutex> hold(guard_);
    int index = -1;
    ResultStatus found = findSession(id, true, index);
    if (found != ResultStatus::success) {
        return found;
    }
    if (ownerIsValid() && lock_.ownerSlot != index) {
        std::int64_t now = clock_.now();
        if (now == kUnreadable || now <= lock_.lastStealTime + lock_.stealPreventionPeriod) {
            return ResultStatus::failure;
        }
        lock_.lastStealTime = now;
    }
    takeLock(index);
    return ResultStatus::success;
}

ResultStatus SessionManager::checkLockHolder(const char* id, bool touch) {
    std::lock_guard<std::mutex> hold(guard_);
    int index = -1;
    ResultStatus found = findSession(id, touch, index);
    if (found != ResultStatus::success) {
        return found;
    }
    if (ownerIsValid()) {
        return sameId(lock_.ownerCopy.sessionId, id) ? ResultStatus::success
                                                     : ResultStatus::lockHeldByAnother;
    }
    return ResultStatus::lockNotHeld;
}

ResultStatus SessionManager::findSession(const char* id, bool touch, int& index) {
    std::int64_t now = clock_.now();
    for (int i = 0; i < kSlotCount; ++i) {
        SessionSlot& slot = slots_[i];
        if (slot.inUse == 0 || !sameId(slot.sessionId, id)) {
            continue;
        }
        if (isExpired(slot.lastAccess, now)) {
            return ResultStatus::invalidId;
        }
        if (touch && now != kUnreadable) {
            slot.lastAccess = now;
        }
        index = i;
        return ResultStatus::success;
    }
    return ResultStatus::invalidId;
}

ResultStatus SessionManager::checkSlot(int index, const char* id, bool touch) {
    if (index < 0 || index >= kSlotCount) {
        return ResultStatus::failure;
    }
    SessionSlot& slot = slots_[index];
    if (slot.inUse == 0 || !sameId(slot.sessionId, id)) {
        return ResultStatus::invalidId;
    }
    std::int64_t now = clock_.now();
    bool expired = isExpired(slot.lastAccess, now);
    if (touch && !expired) {
        slot.lastAccess = now;
    }
    return expired ? ResultStatus::invalidId : ResultStatus::success;
}

bool SessionManager::isExpired(std::int64_t lastAccess, std::int64_t now) const {
    return now != kUnreadable && now > lastAccess + sessionTimeout_;
}

void SessionManager::purgeExpired() {
    std::int64_t now = clock_.now();
    if (now == kUnreadable) {
        return;
    }
    const std::int32_t owner = lock_.ownerSlot;
    for (int i = 0; i < kSlotCount; ++i) {
        if (slots_[i].inUse != 0 && isExpired(slots_[i].lastAccess, now)) {
            slots_[i] = SessionSlot();
            if (i == owner) {
                lock_.ownerSlot = -1;
            }
        }
    }
}

bool SessionManager::ownerIsValid() {
    return lock_.ownerSlot != -1 &&
           checkSlot(lock_.ownerSlot, lock_.ownerCopy.sessionId, false) == ResultStatus::success;
}

void SessionManager::takeLock(int index) {
    lock_.ownerSlot = index;
    lock_.ownerCopy = slots_[index];
}

}  // namespace lensws
