#include "session/lock.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace rvs {

const char* lockName(LockRank rank) {
    switch (rank) {
        case LockRank::Cycle: return "cycleLock";
        case LockRank::State: return "stateLock";
        case LockRank::Trace: return "traceLock";
    }
    return "lock";
}

#ifdef RVS_LOCK_CHECKS
namespace {

// The locks this thread holds, innermost last; a recursive entry appears once per entry.
struct HeldLocks {
    std::array<const Lock*, 32> locks{};
    size_t count = 0;
    int permits = 0;
};

thread_local HeldLocks held;

[[noreturn]] void violation(const char* text, const char* first, const char* second) {
    std::fprintf(stderr, "RvStatement lock check: %s %s %s\n", text, first, second);
    std::fflush(stderr);
    std::abort();
}

bool holds(const Lock* lock) {
    for (size_t i = 0; i < held.count; ++i) {
        if (held.locks[i] == lock) return true;
    }
    return false;
}

void checkOrder(const Lock* lock) {
    if (holds(lock)) return;  // recursive entry
    for (size_t i = 0; i < held.count; ++i) {
        if (held.locks[i]->rank() > lock->rank()) {
            std::fprintf(stderr, "RvStatement lock check: taking %s while holding %s\n", lockName(lock->rank()),
                         lockName(held.locks[i]->rank()));
            std::fflush(stderr);
            std::abort();
        }
    }
}

void push(const Lock* lock) {
    if (held.count == held.locks.size()) violation("too many nested locks at", lockName(lock->rank()), "");
    held.locks[held.count++] = lock;
}

void pop(const Lock* lock) {
    for (size_t i = held.count; i > 0; --i) {
        if (held.locks[i - 1] == lock) {
            for (size_t j = i - 1; j + 1 < held.count; ++j) held.locks[j] = held.locks[j + 1];
            --held.count;
            return;
        }
    }
    violation("releasing", lockName(lock->rank()), "which this thread does not hold");
}

}  // namespace

void Lock::lock() {
    checkOrder(this);
    mutex_.lock();
    push(this);
}

void Lock::unlock() {
    pop(this);
    mutex_.unlock();
}

bool Lock::try_lock() {
    if (!mutex_.try_lock()) return false;  // a try never waits, so it cannot close a cycle
    push(this);
    return true;
}

namespace lockcheck {

void forbidUnderStateLock(const char* what) {
    if (held.permits > 0) return;
    for (size_t i = 0; i < held.count; ++i) {
        if (held.locks[i]->rank() == LockRank::State) violation(what, "under", "stateLock");
    }
}

StateLockExchangePermit::StateLockExchangePermit() { ++held.permits; }
StateLockExchangePermit::~StateLockExchangePermit() { --held.permits; }
bool enabled() { return true; }

}  // namespace lockcheck

#else

void Lock::lock() { mutex_.lock(); }
void Lock::unlock() { mutex_.unlock(); }
bool Lock::try_lock() { return mutex_.try_lock(); }

namespace lockcheck {

void forbidUnderStateLock(const char*) {}
StateLockExchangePermit::StateLockExchangePermit() {}
StateLockExchangePermit::~StateLockExchangePermit() {}
bool enabled() { return false; }

}  // namespace lockcheck

#endif

}  // namespace rvs
