// Host callbacks that call back into their own session on the monitor thread, and stopping the
// monitor.
#include <gtest/gtest.h>

#include <atomic>

#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

constexpr uint32_t kNotCalled = 0xFFFFFFFF;

class MonitorReentryTest : public MonitorFixture {};

TEST_F(MonitorReentryTest, CloseFromTheCallbackGets9AndTheSessionStaysOpen) {
    openPrinter();
    std::atomic<uint32_t> result{kNotCalled};
    StatusRecorder recorder;
    recorder.action = [&](const StatusRecord&) {
        if (result == kNotCalled) {
            result = RvStatementClose(handle);
        }
    };
    registerStatusCallback(recorder);

    device->setStatusBit(1, 0x01, true);
    ASSERT_TRUE(eventually([&] { return result != kNotCalled; }));

    EXPECT_EQ(result.load(), 9u);
    EXPECT_NE(validateHandle(handle), nullptr);
    device->setStatusBit(1, 0x01, false);
    awaitCycles();
    EXPECT_EQ(recorder.count(), 2u);
    close();
}

// What a callback did with its own session on the monitor thread.
struct ReentryResults {
    std::atomic<bool> done{false};
    std::atomic<uint32_t> pause{kNotCalled};
    std::atomic<uint32_t> resume{kNotCalled};
};

void pauseResumeAndHandshake(Session& session, ReentryResults& results) {
    if (results.done) {
        return;
    }
    results.pause = PauseMonitor(session);
    results.resume = ResumeMonitor(session);
    CommandHandshake(session);
    results.done = true;
}

TEST_F(MonitorReentryTest, PauseResumeAndHandshakeFromTheCallbackReturn) {
    openPrinter();
    ReentryResults results;
    StatusRecorder recorder;
    recorder.action = [&](const StatusRecord&) { pauseResumeAndHandshake(session(), results); };
    registerStatusCallback(recorder);

    device->setStatusBit(1, 0x01, true);
    ASSERT_TRUE(eventually([&] { return results.done.load(); }));

    EXPECT_EQ(results.pause.load(), 0u);
    EXPECT_EQ(results.resume.load(), 0u);
    awaitCycles();
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
    // The monitor is still free to be paused from the host.
    ASSERT_EQ(PauseMonitor(session()), 0u);
    EXPECT_EQ(ResumeMonitor(session()), 0u);
}

TEST_F(MonitorReentryTest, PauseResumeAndHandshakeFromTheRemovalReportReturn) {
    openPrinter();
    ReentryResults results;
    StatusRecorder recorder;
    recorder.action = [&](const StatusRecord& record) {
        if ((record[4] & 0x40) != 0) {
            pauseResumeAndHandshake(session(), results);
        }
    };
    registerStatusCallback(recorder);
    device->setAnswer(u"PaperRemoved", {0x40});
    device->setStatusBit(0, 0x40, true);
    awaitCycles();
    {
        auto parked = park();
        setEventFlags(event::PendingPresent);
        setStateFlags(state::WatchPaperRemoval);
        device->setStatusBit(0, 0x40, false);
    }
    ASSERT_TRUE(eventually([&] { return results.done.load(); }));

    EXPECT_EQ(results.pause.load(), 0u);
    EXPECT_EQ(results.resume.load(), 0u);
    ASSERT_TRUE(eventually([&] { return (stateFlags() & state::WatcherDone) != 0; }));
    awaitCycles();
}

class MonitorStopTest : public MonitorFixture {};

TEST_F(MonitorStopTest, CloseEndsAMonitorSleepingALongDriverInterval) {
    addPrinter();
    device->setAnswer(u"TimeInterval", {0xC0, 0x27, 0x09, 0x00});  // 600000 ms
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(locked([](Session& s) { return s.statusInterval; }), 600000u);

    close();
    EXPECT_EQ(exchangesOf(u"Close").size(), 1u);
}

TEST_F(MonitorStopTest, CloseWaitsForTheCycleInProgress) {
    openPrinter();
    StatusRecorder recorder;
    std::atomic<bool> inCallback{false};
    std::atomic<bool> release{false};
    recorder.action = [&](const StatusRecord&) {
        inCallback = true;
        while (!release) {
            std::this_thread::yield();
        }
    };
    registerStatusCallback(recorder);
    device->setStatusBit(1, 0x01, true);
    ASSERT_TRUE(eventually([&] { return inCallback.load(); }));

    std::atomic<bool> closed{false};
    std::thread closer([&] {
        EXPECT_EQ(RvStatementClose(handle), 0u);
        closed = true;
    });
    // Close cannot finish while the monitor is inside its cycle: "Close" is sent only after it.
    EXPECT_FALSE(closed.load());
    EXPECT_EQ(exchangesOf(u"Close").size(), 0u);
    release = true;
    closer.join();
    handle = nullptr;
    EXPECT_EQ(exchangesOf(u"Close").size(), 1u);
    EXPECT_EQ(recorder.count(), 1u);
}

}  // namespace
}  // namespace rvs::test
