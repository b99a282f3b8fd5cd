// Keeps rotations and prunes of one trace directory apart, across sessions and processes: the
// first to rename its claim file to "Korvelincomm.lock" holds the directory until it deletes it.
#pragma once

#include <cstdint>
#include <string>

namespace rvs {

// A holder that stops (e.g. its process died) is given up on after this long.
inline constexpr uint32_t kTraceLockAbandonedMs = 2000;

class TraceRotationLock {
public:
    // Waits for the directory; goes on without it when no claim file can be made there or the
    // holder has been silent for kTraceLockAbandonedMs.
    explicit TraceRotationLock(const std::u16string& directory);
    ~TraceRotationLock();
    TraceRotationLock(const TraceRotationLock&) = delete;
    TraceRotationLock& operator=(const TraceRotationLock&) = delete;

    bool held() const { return held_; }

private:
    std::u16string lockPath_;
    bool held_ = false;
};

}  // namespace rvs
