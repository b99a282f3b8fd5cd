// Reset with the monitor parked and the status handed to the callback by the caller, and error
// recovery with the monitor paused for its settle time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;
using Names = std::vector<std::u16string>;

class ResetRecoverTest : public MediaFixture {
protected:
    void SetUp() override {
        openPrinter();
        spooler->clearLog();
    }
    // The names of this thread's exchanges, each run of one name shown once.
    Names distinctRuns() {
        Names names = callerExchanges();
        names.erase(std::unique(names.begin(), names.end()), names.end());
        return names;
    }
    // Whether the monitor thread read the status between this thread's exchange `first` and its
    // last status read.
    bool monitorPolledBetween(const std::u16string& first) {
        const uint32_t self = platform::system().currentThreadId();
        const std::vector<sim::Exchange> log = spooler->exchanges();
        size_t from = log.size();
        size_t to = 0;
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].threadId != self) continue;
            if (log[i].name == first && from == log.size()) from = i;
            if (log[i].name == u"StatusGet") to = i;
        }
        for (size_t i = from; i < to; ++i) {
            if (log[i].threadId != self && log[i].name == u"StatusGet") return true;
        }
        return false;
    }
};

TEST_F(ResetRecoverTest, ResetHandsTheCallbackTheGoingAndTheFreshStatus) {
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setStatus({0x01, 0x00, 0x00, 0x00, 0x10});
    ASSERT_TRUE(eventually([&] { return recorder.count() == 1; }));
    // The printer comes back with another status.
    whenPrinter([](sim::DriverState& d) { return d.paper.resetting; },
                [](sim::DriverState& d) { d.status[4] = 0x00; });
    EXPECT_EQ(RvStatementReset(handle), 0u);
    EXPECT_EQ(distinctRuns(), (Names{u"Reset", u"StatusGet", u"ConsecutivePrintEnable"}));
    EXPECT_FALSE(monitorPolledBetween(u"Reset"));
    std::vector<StatusRecorder::Call> calls = recorder.calls();
    calls.erase(calls.begin());  // the monitor's, before the reset
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(hex(calls[0].record), "0100000090");  // the cached status, marked as not read
    EXPECT_EQ(hex(calls[1].record), "0100000000");
    EXPECT_EQ(calls[0].threadId, platform::system().currentThreadId());
    EXPECT_EQ(calls[1].threadId, platform::system().currentThreadId());
    EXPECT_EQ(hex(cachedStatus()), "0100000000");
    EXPECT_THAT(lines(7), ElementsAreArray({"[TRACE:5001]Call:7", "[TRACE:5002]Ret:7"}));
}

TEST_F(ResetRecoverTest, ResetWithoutACallbackWaitsForTheStatusJustTheSame) {
    EXPECT_EQ(RvStatementReset(handle), 0u);
    EXPECT_EQ(distinctRuns(), (Names{u"Reset", u"StatusGet", u"ConsecutivePrintEnable"}));
    // The printer did not answer at once: the reset read until it did.
    EXPECT_GT(callerExchangesOf(u"StatusGet").size(), 1u);
    EXPECT_NE(callerExchangesOf(u"StatusGet").front().error, 0u);
}

TEST_F(ResetRecoverTest, ResetGives7WhenTheStatusStaysAway30s) {
    behave([](sim::MediaBehaviour& b) { b.answersAfterReset = false; });
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = RvStatementReset(handle); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, 7u);
    EXPECT_GE(took, 30000u);
    EXPECT_LT(took, 45000u);
    EXPECT_THAT(lines(7), ElementsAreArray({"[TRACE:5001]Call:7", "[WAR:3001]Func:7 return 0x07", "[TRACE:5002]Ret:7"}));
    printer([](sim::DriverState& d) { return d.paper.resetting = false; });
    awaitCycles();  // the monitor polls again
}

TEST_F(ResetRecoverTest, ResetTestsReadinessOnTheCachedStatus) {
    device->setStatusBit(2, 0x04, true);
    awaitCycles();
    EXPECT_EQ(RvStatementReset(handle), 2u);
    EXPECT_EQ(callerExchanges(), Names{});
}

TEST_F(ResetRecoverTest, ResetAppliesTheFullErrorCheckToTheFreshStatus) {
    device->setStatusBit(4, 0x80, true);
    EXPECT_EQ(RvStatementReset(handle), 4u);
    awaitCycles();
}

TEST_F(ResetRecoverTest, ARefusedResetLetsTheMonitorGo) {
    device->injectFault(u"Reset", sim::Fault::answer({1}));
    EXPECT_EQ(RvStatementReset(handle), 16u);
    awaitCycles();
}

TEST_F(ResetRecoverTest, RecoverPausesTheMonitorForItsSettleTime) {
    device->setStatusBit(0, 0x08, true);  // an error: what recovery is for
    EXPECT_EQ(RvStatementRecoverError(handle), 0u);
    EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"Recover", u"StatusGet", u"ConsecutivePrintEnable"}));
    EXPECT_FALSE(monitorPolledBetween(u"Recover"));
    awaitCycles();
}

struct Leftover {
    const char* name;
    uint8_t byte1;
    uint32_t expected;
};
void PrintTo(const Leftover& c, std::ostream* out) { *out << c.name; }

class RecoverLeftoverTest : public ResetRecoverTest, public ::testing::WithParamInterface<Leftover> {};

// Byte 0 bit 3 left after recovery is an error only while byte 1 bit 7 is clear.
TEST_P(RecoverLeftoverTest, JudgesTheStatusAfterRecovery) {
    behave([](sim::MediaBehaviour& b) { b.recovers = false; });
    device->setStatus({0x08, GetParam().byte1, 0, 0, 0});
    EXPECT_EQ(RvStatementRecoverError(handle), GetParam().expected);
    awaitCycles();
}

INSTANTIATE_TEST_SUITE_P(Status, RecoverLeftoverTest,
                         ::testing::Values(Leftover{"Byte1Bit7Set", 0x80, 0}, Leftover{"Byte1Bit7Clear", 0x00, 4},
                                           Leftover{"Byte1Bit2", 0x84, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResetRecoverTest, RecoverRefusesAPrinterThatIsNotReady) {
    device->setStatusBit(2, 0x40, true);
    EXPECT_EQ(RvStatementRecoverError(handle), 2u);
    EXPECT_EQ(callerExchanges(), Names{u"StatusGet"});
}

TEST_F(ResetRecoverTest, AFailedRecoveryResumesTheMonitor) {
    device->injectFault(u"Recover", sim::Fault::callFails());
    EXPECT_EQ(RvStatementRecoverError(handle), 9u);
    awaitCycles();
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
}


TEST_F(MediaFixture, AResetLetsTheOxaDeviceGoEvenWhenConsecutivePrintingStaysOff) {
    openPrinter(sim::Profile::oxaSt());
    device->setOxaStatusBit(8, 0x04, true);  // reported selected: the release asks the driver
    awaitCycles();
    spooler->clearLog();
    device->injectFault(u"ConsecutivePrintEnable", sim::Fault::answer({1}));
    EXPECT_EQ(RvStatementReset(handle), 16u);
    std::vector<std::u16string> names = callerExchanges();
    names.erase(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Reset", u"StatusGet", u"ConsecutivePrintEnable",
                                                  u"OXA_Select_Input", u"OXASelectDevice"}));
    EXPECT_THAT(lines(7), ElementsAreArray({"[TRACE:5001]Call:7", "[WAR:3001]Func:7 return 0x10", "[TRACE:5002]Ret:7"}));
}

}  // namespace
}  // namespace rvs::test
