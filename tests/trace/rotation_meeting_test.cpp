// Rotations and prunes of one directory that meet: a prune that holds the directory while a
// writer of the same session waits for it, and a holder that stalls past the lock's limit while
// the next one takes over. Each thread is paused at a chosen point by a system wrapper.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "trace/trace_backups.h"
#include "trace/trace_rotation_lock.h"
#include "trace_fixture.h"

namespace rvs::test {
namespace {

using namespace std::chrono_literals;

// One-shot meeting point: a thread arrives (and may wait to be let go); the test waits for the
// arrival. Every wait is bounded so a fault fails the test instead of hanging it.
class Gate {
public:
    void arrive() {
        std::lock_guard<std::mutex> hold(mutex_);
        arrived_ = true;
        changed_.notify_all();
    }
    void arriveAndWait() {
        std::unique_lock<std::mutex> hold(mutex_);
        arrived_ = true;
        changed_.notify_all();
        changed_.wait_for(hold, 10s, [this] { return open_; });
    }
    bool waitArrived() {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, 10s, [this] { return arrived_; });
    }
    void open() {
        std::lock_guard<std::mutex> hold(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    bool open_ = false;
};

enum class Role { None, Pruner, Writer, First, Second };
thread_local Role role = Role::None;

// Pauses a role at its first directory listing (inside the directory lock), tells when a role
// waits for the lock, and counts locks taken over as abandoned.
class Meeting : public platform::SystemWrapper {
public:
    explicit Meeting(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~Meeting() override { platform::setSystem(previous_); }

    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        if (Gate* gate = listingGate(); gate != nullptr) gate->arriveAndWait();
        return target()->findFiles(directory, prefix, suffix);
    }
    // A claimant sleeps between its looks at a taken lock.
    void sleep(uint32_t milliseconds) override {
        if (milliseconds > 0 && role == Role::Writer) writerWaits.arrive();
        target()->sleep(milliseconds);
    }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        if (from.ends_with(u".lock") && to.ends_with(u".stale")) ++takeOvers;
        return target()->moveFile(from, to);
    }

    Gate pruneListing, firstListing, secondListing;
    Gate writerWaits;
    std::atomic<int> takeOvers{0};

private:
    Gate* listingGate() {
        std::lock_guard<std::mutex> hold(mutex_);
        if (role == Role::None || role == Role::Writer || listed_[static_cast<int>(role)]) return nullptr;
        listed_[static_cast<int>(role)] = true;
        return role == Role::Pruner ? &pruneListing : role == Role::First ? &firstListing : &secondListing;
    }

    std::mutex mutex_;
    bool listed_[5] = {};
    platform::System* previous_;
};

class RotationMeeting : public TraceFixture {
protected:
    // Writes a line across the limit of a nearly full current file.
    void writeAcross(Session& writer) {
        writer.traceHeaderDate = (uint32_t{kMorning.day} << 16) | kMorning.month;  // no header: exact size
        TraceWrite(&writer, traceid::Input, (std::string(300, 'x') + "\n").c_str());
    }
    bool lockFileExists() const { return std::filesystem::exists(dir.file("Korvelincomm.lock")); }
};

TEST_F(RotationMeeting, APruneThatMeetsARotationOfItsSessionWaitsForNoTimeOut) {
    put("Korvelincomm_1.log", "b1");
    put("Korvelincomm_2.log", "b2");  // the prune lists them twice: count, then entries
    putNearlyFull(kCurrent, 100);
    Meeting meeting(&clock.system());
    const auto start = std::chrono::steady_clock::now();
    std::thread pruner([&] {
        role = Role::Pruner;
        TracePrune(&session);
    });
    ASSERT_TRUE(meeting.pruneListing.waitArrived());
    std::thread writer([&] {
        role = Role::Writer;
        writeAcross(session);  // holds traceLock, then waits for the directory
    });
    EXPECT_TRUE(meeting.writerWaits.waitArrived());
    meeting.pruneListing.open();
    pruner.join();
    writer.join();

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kTraceLockAbandonedMs));
    EXPECT_EQ(meeting.takeOvers.load(), 0) << "no live lock was broken";
    EXPECT_EQ(others(), (Files{{"Korvelincomm_1.log", "b1"},
                               {"Korvelincomm_2.log", "b2"},
                               {"Korvelincomm_3.log", kCurrent}}));
}

TEST_F(RotationMeeting, AHolderSlowerThanTheLimitKeepsItsCopyAndLeavesTheNextHoldersLock) {
    Session second;
    second.traceMode.store(0x3F);
    second.traceFileCount.store(5);
    std::copy_n(session.traceDirectory, kTraceDirectoryUnits, second.traceDirectory);
    Meeting meeting(&clock.system());

    putNearlyFull("FIRST", 100);
    std::thread first([&] {
        role = Role::First;
        writeAcross(session);
    });
    ASSERT_TRUE(meeting.firstListing.waitArrived());  // copied and emptied, the lock held
    clock->advance(kTraceLockAbandonedMs + 1000);     // ... and then stalled past the limit

    putNearlyFull("SECOND", 100);
    std::thread next([&] {
        role = Role::Second;
        writeAcross(second);
    });
    ASSERT_TRUE(meeting.secondListing.waitArrived());  // took the lock over, copied and emptied
    EXPECT_EQ(meeting.takeOvers.load(), 1);

    meeting.firstListing.open();
    first.join();
    EXPECT_TRUE(lockFileExists()) << "the slow holder left the next holder's lock alone";
    EXPECT_EQ(others().count("Korvelincomm_1.log"), 1u) << "the slow holder kept its copy";

    meeting.secondListing.open();
    next.join();
    EXPECT_FALSE(lockFileExists());
    EXPECT_EQ(others(), (Files{{"Korvelincomm_1.log", "FIRST"}, {"Korvelincomm_2.log", "SECOND"}}))
        << "both copies kept, oldest first, and no temporary file left";
}

// Windows' file system: names that differ only in case are one name.
class CaseBlindFiles : public platform::SystemWrapper {
public:
    explicit CaseBlindFiles(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~CaseBlindFiles() override { platform::setSystem(previous_); }

    bool fileNamesIgnoreCase() const override { return true; }
    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        std::vector<std::u16string> found;
        for (const std::u16string& name : target()->findFiles(directory, u"", u"")) {
            const std::u16string folded = fold(name);
            if (folded.starts_with(fold(prefix)) && folded.ends_with(fold(suffix))) found.push_back(name);
        }
        return found;
    }

private:
    static std::u16string fold(std::u16string text) {
        for (char16_t& c : text) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        return text;
    }
    platform::System* previous_;
};

struct CaseCase {
    const char* name;
    bool caseBlind;
    Files after;
};

class BackupNameCase : public TraceFixture, public ::testing::WithParamInterface<CaseCase> {};

TEST_P(BackupNameCase, BackupsAreMatchedAsTheFileSystemMatchesThem) {
    put("korvelincomm_1.LOG", "b1");
    put("KORVELINCOMM_2.log", "b2");
    put("Korvelincomm_3.Log", "b3");
    session.traceFileCount.store(3);
    std::optional<CaseBlindFiles> windows;
    if (GetParam().caseBlind) windows.emplace(&clock.system());
    EXPECT_EQ(TraceScanFiles(directory(), nullptr), GetParam().caseBlind ? 3u : 0u);
    TracePrune(&session);
    EXPECT_EQ(others(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, BackupNameCase,
    ::testing::Values(CaseCase{"IgnoringCase", true, {{"Korvelincomm_1.log", "b2"}, {"Korvelincomm_2.log", "b3"}}},
                      CaseCase{"MindingCase",
                               false,
                               {{"korvelincomm_1.LOG", "b1"},
                                {"KORVELINCOMM_2.log", "b2"},
                                {"Korvelincomm_3.Log", "b3"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
