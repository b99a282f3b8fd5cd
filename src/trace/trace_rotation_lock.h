// Keeps rotations and prunes of one trace directory apart, across sessions and processes: the
// first to rename its claim file to "Korvelincomm.lock" holds the directory until it removes it.
// The lock file holds its owner's tag, which carries the tick count at which it was taken.
#pragma once

#include <cstdint>
#include <string>

namespace rvs {

// A lock file this old is taken for abandoned (its holder died, or stalled that long).
inline constexpr uint32_t kTraceLockAbandonedMs = 2000;
// However busy the directory, a claimant waits no longer than this before going on without it.
inline constexpr uint32_t kTraceLockGiveUpMs = 5 * kTraceLockAbandonedMs;

class TraceRotationLock {
public:
    // Waits for the directory; goes on without it when no claim can be made there (no claim file,
    // or its rename refused with no lock in the way) or after kTraceLockGiveUpMs.
    explicit TraceRotationLock(const std::u16string& directory);
    // Removes the lock file only while it is still this holder's.
    ~TraceRotationLock();
    TraceRotationLock(const TraceRotationLock&) = delete;
    TraceRotationLock& operator=(const TraceRotationLock&) = delete;

    bool held() const { return held_; }
    // False once another claimant has taken the lock over as abandoned.
    bool stillHeld() const;
    // Unique to this claim among all claimants of the directory: names this holder's own files.
    const std::string& tag() const { return tag_; }

private:
    // Taken: the rename failed, normally on another claimant's lock. Impossible: no claim file
    // can be written in the directory.
    enum class Claim { Held, Taken, Impossible };
    Claim claim();
    bool takeOver(const std::string& judged);

    std::u16string directory_;
    std::u16string lockPath_;
    std::string tag_;
    bool held_ = false;
};

}  // namespace rvs
