// Device changes scheduled on the platform clock: "in 300 ms, raise this status bit".
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace rvs::sim {

class Device;

using TimelineAction = std::function<void(Device&)>;

// Thread-safe, with a lock of its own, so value handlers may schedule while the device is locked.
class Timeline {
public:
    // `action` becomes due once the tick count has advanced `afterMs` from `now`.
    void schedule(uint32_t now, uint32_t afterMs, TimelineAction action);
    // Removes and returns the actions due at `now`, the longest overdue first (ties in
    // scheduling order). Unsigned tick differences keep this right across the 32-bit wrap.
    std::vector<TimelineAction> takeDue(uint32_t now);
    // Cheap: the monitor thread asks on every poll.
    bool empty() const { return count_.load() == 0; }

private:
    struct Scheduled {
        uint32_t start = 0;
        uint32_t afterMs = 0;
        uint64_t sequence = 0;
        TimelineAction action;
    };

    std::mutex mutex_;
    std::vector<Scheduled> pending_;  // guarded by mutex_
    uint64_t nextSequence_ = 0;       // guarded by mutex_
    std::atomic<size_t> count_{0};
};

}  // namespace rvs::sim
