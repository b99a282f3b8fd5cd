// The session's locks: recursive like the platform's critical sections, each with a rank that
// fixes the order they are taken in (cycle, then state, then trace). Builds with lock checks
// abort on an order violation and on a driver exchange or trace line made under stateLock.
#pragma once

#include <cstdint>
#include <mutex>

#include "session/thread_annotations.h"

namespace rvs {

enum class LockRank : uint8_t { Cycle = 1, State = 2, Trace = 3 };

const char* lockName(LockRank rank);

class RVS_CAPABILITY("mutex") Lock {
public:
    explicit Lock(LockRank rank) : rank_(rank) {}
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock() RVS_ACQUIRE();
    void unlock() RVS_RELEASE();
    bool try_lock() RVS_TRY_ACQUIRE(true);
    LockRank rank() const { return rank_; }

private:
    std::recursive_mutex mutex_;
    const LockRank rank_;
};

class RVS_SCOPED_CAPABILITY Guard {
public:
    explicit Guard(Lock& lock) RVS_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
    ~Guard() RVS_RELEASE() { lock_.unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    Lock& lock_;
};

// A Guard that can let the lock go for a while (across a callback or a wait) and take it back.
class RVS_SCOPED_CAPABILITY RelockableGuard {
public:
    explicit RelockableGuard(Lock& lock) RVS_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
    ~RelockableGuard() RVS_RELEASE() {
        if (held_) lock_.unlock();
    }
    RelockableGuard(const RelockableGuard&) = delete;
    RelockableGuard& operator=(const RelockableGuard&) = delete;

    void unlock() RVS_RELEASE() {
        lock_.unlock();
        held_ = false;
    }
    void lock() RVS_ACQUIRE() {
        lock_.lock();
        held_ = true;
    }

private:
    Lock& lock_;
    bool held_ = true;
};

namespace lockcheck {

// Aborts, naming `what`, when the calling thread holds a stateLock outside a permit. Called by
// every driver exchange and every trace line.
void forbidUnderStateLock(const char* what);

// Allows driver exchanges under stateLock while it lives: the "ReturnValue" read that judges a
// short status answer is made under it, so the record and its code change together.
class StateLockExchangePermit {
public:
    StateLockExchangePermit();
    ~StateLockExchangePermit();
    StateLockExchangePermit(const StateLockExchangePermit&) = delete;
    StateLockExchangePermit& operator=(const StateLockExchangePermit&) = delete;
};

// True when this build checks (debug and test builds).
bool enabled();

}  // namespace lockcheck
}  // namespace rvs
