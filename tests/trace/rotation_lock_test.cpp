#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/platform.h"
#include "support/temp_dir.h"
#include "support/test_system.h"
#include "trace/trace_rotation_lock.h"

namespace rvs::test {
namespace {

size_t entriesIn(const TempDir& dir) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++count;
    return count;
}

TEST(RotationLock, ASecondClaimantWaitsForTheHolder) {
    ScopedTestSystem clock;
    TempDir dir;
    std::atomic<bool> secondHeld{false};
    std::atomic<bool> firstReleased{false};
    std::thread second;
    {
        TraceRotationLock first(dir.withSeparator());
        ASSERT_TRUE(first.held());
        second = std::thread([&] {
            TraceRotationLock lock(dir.withSeparator());
            // Only once the first holder let go.
            secondHeld = lock.held() && firstReleased.load();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        firstReleased = true;
    }
    second.join();
    EXPECT_TRUE(secondHeld.load());
    EXPECT_EQ(entriesIn(dir), 0u);  // no lock or claim file is left behind
}

TEST(RotationLock, AnAbandonedLockIsTakenOverAfterItsLimit) {
    ScopedTestSystem clock;
    clock->setSpeed(100);  // the 2 s limit passes in about 20 ms
    TempDir dir;
    std::ofstream(dir.file("Korvelincomm.lock")).put('x');
    {
        TraceRotationLock lock(dir.withSeparator());
        EXPECT_TRUE(lock.held());
    }
    EXPECT_EQ(entriesIn(dir), 0u);
}

TEST(RotationLock, AMissingDirectoryGoesOnWithoutTheLock) {
    ScopedTestSystem clock;
    TempDir dir;
    TraceRotationLock lock(dir.wideFile("missing/"));
    EXPECT_FALSE(lock.held());
}

// Another claimant takes the directory just before this one's rename and lets it go right after,
// as a prune that finds nothing to do does. The claim met a held lock, not a directory where no
// claim can be made: it must try again rather than go on without the lock.
class BriefHolder : public platform::SystemWrapper {
public:
    explicit BriefHolder(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~BriefHolder() override { platform::setSystem(previous_); }

    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        if (met_ || !from.ends_with(u".claim") || !to.ends_with(u"Korvelincomm.lock")) {
            return target()->moveFile(from, to);
        }
        met_ = true;
        const std::string lock(to.begin(), to.end());
        std::ofstream(lock) << "1-0-" << target()->tickCount();
        const bool moved = target()->moveFile(from, to);
        std::filesystem::remove(lock);
        return moved;
    }

private:
    bool met_ = false;
    platform::System* previous_;
};

TEST(RotationLock, AClaimThatMeetsABriefHolderTriesAgain) {
    ScopedTestSystem clock;
    TempDir dir;
    BriefHolder other(&clock.system());
    {
        TraceRotationLock lock(dir.withSeparator());
        EXPECT_TRUE(lock.held());
    }
    EXPECT_EQ(entriesIn(dir), 0u);
}

// A directory that takes claim files but never lets one be renamed to the lock, with no lock in
// the way: no claim can succeed there, so the claimant goes on without at once.
class NoRenames : public platform::SystemWrapper {
public:
    explicit NoRenames(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~NoRenames() override { platform::setSystem(previous_); }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        return to.ends_with(u"Korvelincomm.lock") ? false : target()->moveFile(from, to);
    }

private:
    platform::System* previous_;
};

TEST(RotationLock, ADirectoryThatRefusesTheLockNameIsGoneOnWithoutAtOnce) {
    ScopedTestSystem clock;
    TempDir dir;
    NoRenames refusing(&clock.system());
    const uint32_t start = clock->tickCount();
    {
        TraceRotationLock lock(dir.withSeparator());
        EXPECT_FALSE(lock.held());
    }
    EXPECT_LT(clock->tickCount() - start, kTraceLockAbandonedMs);
    EXPECT_EQ(entriesIn(dir), 0u);
}

}  // namespace
}  // namespace rvs::test
