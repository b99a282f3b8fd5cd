// Close while a command still runs on the session: the command's waits end, and the session
// stays until the command has left it. Close from a callback inside another call is refused.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "media_fixture.h"
#include "session/registry.h"

namespace rvs::test {
namespace {

const uint8_t kData[] = {'l', 'a', 't', 'e'};

// Makes one thread's transfer-file deletion slow: the command is still inside the library when
// close would otherwise be done with the session.
class SlowDeletion : public platform::SystemWrapper {
public:
    explicit SlowDeletion(platform::System* target) : SystemWrapper(target) {}
    void slowDownThisThread() { slowThread_ = platform::system().currentThreadId(); }
    bool deleteFile(const std::u16string& path) override {
        if (currentThreadId() == slowThread_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            left_ = true;
        }
        return SystemWrapper::deleteFile(path);
    }
    bool deletedSlowly() const { return left_.load(); }

private:
    std::atomic<uint32_t> slowThread_{0};
    std::atomic<bool> left_{false};
};

class CloseRaceTest : public MediaFixture {
protected:
    void SetUp() override { openPrinter(); }
};

TEST_F(CloseRaceTest, CloseFreesTheSessionOnlyAfterAWaitingPrintJobHasLeft) {
    behave([](sim::MediaBehaviour& b) { b.jobStarts = false; });
    SlowDeletion slow(&files);
    platform::setSystem(&slow);
    std::atomic<uint32_t> result{0xFFFF};
    std::thread printing([&] {
        slow.slowDownThisThread();
        result = RvStatementTxRx(handle, sizeof kData, kData, nullptr, nullptr, 0);
    });
    ASSERT_TRUE(eventually([&] { return !exchangesOf(u"StartPrinting").empty(); }));
    EXPECT_EQ(RvStatementClose(handle), 0u);
    handle = nullptr;
    EXPECT_TRUE(slow.deletedSlowly()) << "close returned while the print job still used the session";
    printing.join();
    platform::setSystem(&files);
    EXPECT_EQ(result.load(), 12u);  // the job never started: the time-out verdict
}

TEST_F(CloseRaceTest, CloseEndsAMovementWaitAtOnce) {
    behave([](sim::MediaBehaviour& b) {
        b.movementEnds = false;
        b.customerTakesAfterMs.reset();
    });
    std::atomic<uint32_t> result{0xFFFF};
    std::atomic<uint32_t> took{0};
    std::thread presenting([&] { took = timed([&] { result = RvStatementPresent(handle); }); });
    ASSERT_TRUE(eventually([&] { return (stateFlags() & state::Byte0Bit6Rose) != 0; }));
    EXPECT_EQ(RvStatementClose(handle), 0u);
    handle = nullptr;
    presenting.join();
    EXPECT_EQ(result.load(), 12u);
    EXPECT_LT(took.load(), 15000u) << "the wait ran to its 20 s end limit with the monitor gone";
}

// Reset hands the status to the callback on the caller's thread, the monitor parked: a close
// from there would wait for the monitor, which waits for this thread.
TEST_F(CloseRaceTest, CloseFromAResetCallbackIsRefused) {
    StatusRecorder recorder;
    const uint32_t self = platform::system().currentThreadId();
    std::atomic<uint32_t> closeResult{0xFFFF};
    recorder.action = [&](const StatusRecorder::Record&) {
        if (platform::system().currentThreadId() == self && closeResult.load() == 0xFFFF) {
            closeResult = RvStatementClose(handle);
        }
    };
    registerStatusCallback(recorder);
    EXPECT_EQ(RvStatementReset(handle), 0u);
    EXPECT_EQ(closeResult.load(), 9u);
    EXPECT_NE(validateHandle(handle), nullptr) << "the session is still open";
}

}  // namespace
}  // namespace rvs::test
