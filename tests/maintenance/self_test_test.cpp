// The self-test: argument checks, the steps each test id runs and what they send, readiness,
// the paper and timed steps, their errors and time limits, and leaving self-test mode.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <tuple>

#include "maintenance/self_test.h"
#include "self_test_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const uint8_t kData[] = {'s', 'e', 'l', 'f', '-', 't', 'e', 's', 't'};

class SelfTestTest : public SelfTestFixture {
protected:
    void SetUp() override { openSelfTestPrinter(); }
    uint32_t selfTest(uint8_t id, const uint8_t* data = kData, uint16_t length = sizeof kData) {
        return RvStatementPerformSelfTest(handle, id, data, length);
    }
};

TEST_F(SelfTestTest, ATestIdAboveElevenIsRefusedWithoutAnExchange) {
    EXPECT_EQ(selfTest(12, nullptr, 0), 9u);
    EXPECT_TRUE(callerExchanges().empty());
    EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(12, nullptr, 0), errorReturn(24, 9), returnLine(24)));
}

// The length limit holds only for the test ids that send data.
TEST_F(SelfTestTest, TheLengthLimitHoldsForTheDataStepAndTheFullRunOnly) {
    const std::vector<uint8_t> big(20000, 0x55);
    for (auto [id, length] : {std::tuple<uint8_t, uint16_t>{0, 10241}, {10, 10241}, {10, 20000}}) {
        spooler->clearLog();
        EXPECT_EQ(selfTest(id, big.data(), length), 9u) << int(id) << " " << length;
        EXPECT_TRUE(callerExchanges().empty());
        EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(id, big.data(), length),
                                                    errorReturn(24, 9), returnLine(24)));
    }
    for (auto [id, length] : {std::tuple<uint8_t, uint16_t>{3, 20000}, {10, 10240}}) {
        spooler->clearLog();
        EXPECT_EQ(selfTest(id, big.data(), length), 0u) << int(id) << " " << length;
        EXPECT_EQ(callerExchanges(), singleStepExchanges(id));
    }
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{3, 10}));
    // The data step sent the whole 10240 bytes.
    const std::vector<sim::ReceivedFile> received = printer([](sim::DriverState& d) { return d.paper.received; });
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, std::vector<uint8_t>(10240, 0x55));
}

class SingleStepTest : public SelfTestTest, public ::testing::WithParamInterface<uint8_t> {};

// A single test writes its id twice: before entering self-test mode and before its step.
TEST_P(SingleStepTest, RunsItsStepInSelfTestMode) {
    const uint8_t step = GetParam();
    EXPECT_EQ(selfTest(step), 0u);
    EXPECT_EQ(callerExchanges(), singleStepExchanges(step));
    EXPECT_EQ(idsWritten(), (std::vector<uint8_t>{step, step}));
    EXPECT_EQ(stepsRun(), std::vector<uint8_t>{step});
    EXPECT_FALSE(inSelfTest());
    EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(step, kData, sizeof kData), returnLine(24)));
    EXPECT_EQ(stateFlags() & kSelfTestEndMask, 0u);
}

INSTANTIATE_TEST_SUITE_P(Steps, SingleStepTest, ::testing::Range<uint8_t>(1, 12),
                         [](const auto& info) { return "Step" + std::to_string(info.param); });

TEST_F(SelfTestTest, TheFullRunLeavesOutStepTwo) {
    EXPECT_EQ(selfTest(0), 0u);
    EXPECT_EQ(idsWritten(), (std::vector<uint8_t>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(callerExchangesOf(u"EnterSelfTest").size(), 1u);
    EXPECT_EQ(callerExchangesOf(u"ExitSelfTest").size(), 1u);
    EXPECT_FALSE(inSelfTest());
}

TEST_F(SelfTestTest, APrinterWithoutStepFiveRunsTheOthers) {
    withoutStepFive();
    EXPECT_EQ(selfTest(0), 0u);
    EXPECT_EQ(idsWritten(), (std::vector<uint8_t>{0, 1, 3, 4, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 6, 7, 8, 9, 10, 11}));
}

TEST_F(SelfTestTest, StepFiveAloneOnAPrinterWithoutItIsRefusedBeforeSelfTestMode) {
    withoutStepFive();
    EXPECT_EQ(selfTest(5), 9u);
    EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"GetConfiguration"}));
    EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(5, kData, sizeof kData), errorReturn(24, 9), returnLine(24)));
}

TEST_F(SelfTestTest, TheDataStepWithoutDataFailsInSelfTestModeAndLeavesIt) {
    EXPECT_EQ(selfTest(10, nullptr, 5), 9u);
    EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest",
                                        u"SelfTest_Input_ID", u"ExitSelfTest"}));
    EXPECT_TRUE(stepsRun().empty());
    EXPECT_FALSE(inSelfTest());
    EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(10, nullptr, 5), errorReturn(24, 9), returnLine(24)));
}

TEST_F(SelfTestTest, TheDataStepHandsItsDataOverInAFileItDeletes) {
    EXPECT_EQ(selfTest(10), 0u);
    const std::vector<sim::ReceivedFile> received = printer([](sim::DriverState& d) { return d.paper.received; });
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, std::vector<uint8_t>(std::begin(kData), std::end(kData)));
    const std::vector<sim::Exchange> name = callerExchangesOf(u"SelfTest_Input_Name");
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].type, platform::kRegSz);
    EXPECT_EQ(fromBytes(name[0].bytes), received[0].path);
    EXPECT_EQ(name[0].size, received[0].path.size() * 2);
    const std::vector<sim::Exchange> size = callerExchangesOf(u"SelfTest_Input_Size");
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(size[0].type, platform::kRegBinary);
    EXPECT_EQ(size[0].bytes, (std::vector<uint8_t>{sizeof kData, 0}));
    EXPECT_FALSE(platform::system().fileExists(received[0].path));
    EXPECT_EQ(files.deletes(received[0].path), 1);
}

TEST_F(SelfTestTest, ThePrinterMustBeReadyBeforeTheTest) {
    for (auto [byte, mask, code] : {std::tuple<size_t, uint8_t, uint32_t>{2, 0x04, 2}, {2, 0x40, 2}, {0, 0x08, 4}}) {
        device->setStatus({});
        device->setStatusBit(byte, mask, true);
        spooler->clearLog();
        EXPECT_EQ(selfTest(3), code);
        EXPECT_EQ(callerExchanges(), Names{u"StatusGet"});
    }
}

// Timed steps run with the monitor parked from their request until their run is over. Only the
// polls of the few cycles between the resume and the step's own status read can fall between
// that read and the request; a monitor left running would poll every 10 ms of the run.
TEST_F(SelfTestTest, TimedStepsRunTheirTimeWithTheMonitorParked) {
    for (auto [step, runMs] : {std::tuple<uint8_t, uint32_t>{2, 8000}, {5, 0}, {11, 5000}}) {
        spooler->clearLog();
        uint32_t result = 1;
        const uint32_t took = timed([&] { result = selfTest(step); });
        EXPECT_EQ(result, 0u);
        EXPECT_GE(took, runMs);
        const uint32_t self = platform::system().currentThreadId();
        bool running = false;
        size_t monitorPolls = 0;
        for (const sim::Exchange& e : spooler->exchanges()) {
            if (e.threadId == self && e.name == u"PerformSelfTest") running = true;
            if (e.threadId == self && e.name == u"StatusGet" && running) break;
            if (running && e.threadId != self && e.name == u"StatusGet") ++monitorPolls;
        }
        EXPECT_LT(monitorPolls, 10u) << "the monitor polled during step " << int(step);
    }
}

// A readiness seen before the test does not count: the printer must signal it anew.
TEST_F(SelfTestTest, AStepStartsOnlyOnceThePrinterSignalsReadiness) {
    behaveInSelfTest([](sim::SelfTestBehaviour& b) { b.becomesReady = false; });
    setStateFlags(state::SelfTestReady);
    clock->setSpeed(2 * kLimitSpeed);
    for (uint8_t step : {3, 11}) {
        spooler->clearLog();
        uint32_t result = 0;
        const uint32_t took = timed([&] { result = selfTest(step); });
        EXPECT_EQ(result, 23u);
        EXPECT_GE(took, kSelfTestReadyLimitMs);
        EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest",
                                            u"SelfTest_Input_ID", u"ExitSelfTest"}));
        EXPECT_TRUE(stepsRun().empty());
        EXPECT_FALSE(inSelfTest());
        EXPECT_THAT(lines(kSelfTestFn),
                    ElementsAre(callLine(24), inputLine(step, kData, sizeof kData), errorReturn(24, 23), returnLine(24)));
    }
}

// A page leaving the exit while the step waits for readiness belongs to no step of the test:
// the step still asks for its own page and ends on that one.
TEST_F(SelfTestTest, APaperStepEndsOnlyOnItsOwnPage) {
    device->setStatusBit(0, 0x40, true);
    awaitCycles();
    behaveInSelfTest([](sim::SelfTestBehaviour& b) { b.becomesReady = false; });
    whenPrinter([](sim::DriverState& d) { return d.selfTest.inSelfTest; },
                [](sim::DriverState& d) {
                    d.setStatusBit(0, 0x40, false);
                    sim::afterSeen(d, 0, [](sim::DriverState& s) { s.setStatusBit(1, 0x80, true); });
                });
    spooler->clearLog();
    EXPECT_EQ(selfTest(3), 0u);
    EXPECT_EQ(callerExchanges(), singleStepExchanges(3));
    EXPECT_EQ(stepsRun(), std::vector<uint8_t>{3});
}

// A page that never leaves, or is never taken in the step that waits for it, ends the step in
// time; the paper event it marked is taken back.
TEST_F(SelfTestTest, APaperStepThatNeverEndsRunsOutOfTime) {
    clock->setSpeed(2 * kLimitSpeed);
    for (uint8_t step : {3, 6, 9}) {
        device->setStatus({});
        behave([step](sim::MediaBehaviour& b) {
            b.movementEnds = step == 9;  // the page of step 9 leaves, but nobody takes it
            b.customerTakesAfterMs.reset();
        });
        awaitCycles();
        spooler->clearLog();
        uint32_t result = 0;
        const uint32_t took = timed([&] { result = selfTest(step); });
        EXPECT_EQ(result, 23u) << int(step);
        EXPECT_GE(took, kSelfTestStepLimitMs);
        EXPECT_EQ(callerExchanges(), singleStepExchanges(step));
        EXPECT_FALSE(inSelfTest());
        EXPECT_EQ(eventFlags() & (event::PendingPresent | event::PendingRetract), 0u);
        EXPECT_EQ(stateFlags() & (state::WatchPaperRemoval | state::SelfTestReady | state::SelfTestRunning), 0u);
    }
}

// After the removal step ran out of time the paper-removed watcher still waits for the page to
// be taken: the next command waits for it to finish before it talks to the printer.
TEST_F(SelfTestTest, AWatcherLeftWaitingIsWaitedForByTheNextCommand) {
    behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs.reset(); });
    clock->setSpeed(2 * kLimitSpeed);
    EXPECT_EQ(selfTest(9), 23u);
    clock->setSpeed(kSpeed);
    EXPECT_EQ(stateFlags() & (state::WatcherRunning | state::WatcherDone), state::WatcherRunning);
    spooler->clearLog();
    EXPECT_EQ(RvStatementCut(handle), 0u);
    EXPECT_NE(stateFlags() & state::WatcherDone, 0u);
    const uint32_t self = platform::system().currentThreadId();
    const std::vector<sim::Exchange> log = spooler->exchangesWithout({u"LogSettingCondition"});
    const auto first = std::find_if(log.begin(), log.end(), [&](const sim::Exchange& e) { return e.threadId == self; });
    EXPECT_TRUE(std::none_of(first, log.end(), [](const sim::Exchange& e) { return e.name == u"PaperRemoved"; }))
        << "the watcher was still at work when the command talked to the printer";
}

// An error status while a step runs ends the test there; self-test mode is left.
TEST_F(SelfTestTest, AnErrorStatusDuringAStepEndsTheTest) {
    for (auto [id, failing, run] : {std::tuple<uint8_t, uint8_t, std::vector<uint8_t>>{3, 3, {3}},
                                    {11, 11, {11}},
                                    {0, 4, {1, 3, 4}}}) {
        device->setStatus({});
        printer([&](sim::DriverState& d) {
            d.selfTest.stepsRun.clear();
            d.selfTest.behaviour.failingSteps = {failing};
            return 0;
        });
        awaitCycles();
        spooler->clearLog();
        EXPECT_EQ(selfTest(id), 23u) << int(id);
        EXPECT_EQ(stepsRun(), run);
        EXPECT_EQ(callerExchanges().back(), u"ExitSelfTest");
        EXPECT_EQ(callerExchangesOf(u"ExitSelfTest").size(), 1u);
        EXPECT_FALSE(inSelfTest());
        EXPECT_THAT(lines(kSelfTestFn),
                    ElementsAre(callLine(24), inputLine(id, kData, sizeof kData), errorReturn(24, 23), returnLine(24)));
    }
}

// A paper step whose request the printer refused takes back the paper event and the removal
// watch it set: a later movement must not be confirmed against a page that never moved.
TEST_F(SelfTestTest, ARefusedPaperStepTakesBackItsPaperEvent) {
    for (uint8_t step : {1, 6, 9}) {
        spooler->clearLog();
        device->injectFault(u"PerformSelfTest", sim::Fault::answer({1}));
        EXPECT_EQ(selfTest(step), 16u);
        EXPECT_EQ(callerExchanges(), singleStepExchanges(step));
        EXPECT_EQ(eventFlags() & (event::PendingPresent | event::PendingRetract), 0u);
        EXPECT_EQ(stateFlags() & state::WatchPaperRemoval, 0u);
        EXPECT_FALSE(inSelfTest());
    }
}

// Refused in self-test mode: the printer is told to leave it all the same, once more after a
// refused exit.
TEST_F(SelfTestTest, ARefusedExitIsSentOnceMore) {
    device->injectFault(u"ExitSelfTest", sim::Fault::answer({1}));
    EXPECT_EQ(selfTest(5), 16u);
    EXPECT_EQ(callerExchangesOf(u"ExitSelfTest").size(), 2u);
    EXPECT_FALSE(inSelfTest());
}

TEST_F(SelfTestTest, ARefusedEntryIsNotFollowedByAnExit) {
    device->injectFault(u"EnterSelfTest", sim::Fault::answer({1}));
    EXPECT_EQ(selfTest(3), 16u);
    EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest"}));
}

class OxaSelfTestTest : public SelfTestFixture {
protected:
    void SetUp() override { openSelfTestPrinter(sim::Profile::oxaSt()); }
};

// The device is selected after the readiness test, and let go after the printer left self-test
// mode; the selection asks only while the device is not reported selected, the release only
// while it is.
TEST_F(OxaSelfTestTest, TheOxaDeviceIsSelectedAfterTheReadinessTestAndLetGoAfterTheExit) {
    EXPECT_EQ(RvStatementPerformSelfTest(handle, 11, nullptr, 0), 0u);
    EXPECT_EQ(callerExchanges(),
              (Names{u"StatusGet", u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice", u"GetConfiguration",
                     u"SelfTest_Input_ID", u"EnterSelfTest", u"SelfTest_Input_ID", u"PerformSelfTest", u"StatusGet",
                     u"ExitSelfTest"}));
    device->setOxaStatusBit(8, 0x04, true);
    awaitCycles();
    spooler->clearLog();
    EXPECT_EQ(RvStatementPerformSelfTest(handle, 11, nullptr, 0), 0u);
    EXPECT_EQ(callerExchanges(),
              (Names{u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest", u"SelfTest_Input_ID",
                     u"PerformSelfTest", u"StatusGet", u"ExitSelfTest", u"OXA_Select_Input", u"OXASelectDevice"}));
}

// A failed release is a way out like any other: the printer is told once more to leave.
TEST_F(OxaSelfTestTest, AFailedReleaseSendsTheExitOnceMore) {
    device->setOxaStatusBit(8, 0x04, true);
    awaitCycles();
    spooler->clearLog();
    device->injectFault(u"OXA_Select_Input", sim::Fault::callFails());
    EXPECT_EQ(RvStatementPerformSelfTest(handle, 5, nullptr, 0), 9u);
    EXPECT_EQ(callerExchanges(),
              (Names{u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest", u"SelfTest_Input_ID",
                     u"PerformSelfTest", u"StatusGet", u"ExitSelfTest", u"OXA_Select_Input", u"ExitSelfTest"}));
    EXPECT_THAT(lines(kSelfTestFn),
                ElementsAre(callLine(24), inputLine(5, nullptr, 0), errorReturn(24, 9), returnLine(24)));
}

// From a host callback on the monitor thread the test could never see the readiness and the
// edges it waits for.
TEST_F(SelfTestTest, OnTheMonitorThreadItIsRefused) {
    StatusRecorder recorder;
    std::atomic<bool> called{false};
    std::atomic<uint32_t> result{0xFFFF};
    recorder.action = [&](const StatusRecorder::Record&) {
        if (!called.exchange(true)) result = selfTest(3);
    };
    registerStatusCallback(recorder);
    device->setStatusBit(3, 0x01, true);
    ASSERT_TRUE(eventually([&] { return result.load() != 0xFFFF; }, 20000));
    EXPECT_EQ(result.load(), 9u);
    EXPECT_THAT(lines(kSelfTestFn), ElementsAre(callLine(24), inputLine(3, kData, sizeof kData), errorReturn(24, 9), returnLine(24)));
    EXPECT_TRUE(exchangesOf(u"EnterSelfTest").empty());
}

TEST_F(SelfTestTest, ANullHandleIsRefusedWithoutATraceLine) {
    EXPECT_EQ(RvStatementPerformSelfTest(nullptr, 3, kData, sizeof kData), 8u);
    EXPECT_TRUE(callTrace(kSelfTestFn).empty());
    EXPECT_TRUE(callerExchanges().empty());
}


// The waits measure unsigned tick differences: a tick count that wraps in the middle of the test
// neither ends a wait early nor makes it endless.
TEST_F(SelfTestTest, TheWaitsSurviveATickWrap) {
    clock->setTickCount(0xFFFFFFFFu - 3000);
    EXPECT_EQ(selfTest(0), 0u);
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    behaveInSelfTest([](sim::SelfTestBehaviour& b) { b.becomesReady = false; });
    clock->setSpeed(2 * kLimitSpeed);
    clock->setTickCount(0xFFFFFFFFu - kSelfTestReadyLimitMs / 2);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = selfTest(3); });
    EXPECT_EQ(result, 23u);
    EXPECT_GE(took, kSelfTestReadyLimitMs);
    EXPECT_LT(took, 3 * kSelfTestReadyLimitMs);
    EXPECT_FALSE(inSelfTest());
}

// The error status test while a step runs: byte 1 bit 2 or bit 6, or byte 0 bit 3 while byte 1
// bit 7 (the printer's readiness) is clear. Byte 0 bit 3 alone, with readiness still shown, is
// no error.
TEST_F(SelfTestTest, TheErrorStatusTestDuringAPaperStep) {
    struct Case {
        std::vector<std::tuple<size_t, uint8_t, bool>> bits;
        uint32_t result;
    };
    const Case cases[] = {
        {{{1, 0x04, true}}, 23},
        {{{1, 0x40, true}}, 23},
        {{{0, 0x08, true}}, 0},
        {{{0, 0x08, true}, {1, 0x80, false}}, 23},
    };
    for (const Case& c : cases) {
        // The page of a step that ended on an error goes on moving: let it finish first.
        ASSERT_TRUE(eventually([&] { return printer([](sim::DriverState& d) { return d.paper.transport == 0; }); }));
        device->setStatus({});
        awaitCycles();
        printer([](sim::DriverState& d) { return d.selfTest.stepsRun.clear(), 0; });
        whenPrinter([](sim::DriverState& d) { return !d.selfTest.stepsRun.empty(); },
                    [bits = c.bits](sim::DriverState& d) {
                        for (auto [byte, mask, on] : bits) d.setStatusBit(byte, mask, on);
                    });
        spooler->clearLog();
        EXPECT_EQ(selfTest(3), c.result) << std::get<0>(c.bits[0]) << " " << int(std::get<1>(c.bits[0]));
        EXPECT_FALSE(inSelfTest());
    }
}

// Status queries on other threads while the full test runs: both go on, and the test ends well.
TEST_F(SelfTestTest, StatusQueriesRunAlongsideTheTest) {
    std::atomic<bool> done{false};
    std::atomic<uint32_t> failedQueries{0};
    std::atomic<uint32_t> queries{0};
    std::thread querier([&] {
        while (!done.load()) {
            uint8_t status[5] = {};
            uint16_t sensor = 0;
            if (RvStatementGetStatus(handle, status) != 0) ++failedQueries;
            if (RvStatementGetSensorStatus(handle, &sensor) != 0) ++failedQueries;
            ++queries;
            platform::system().sleep(20);
        }
    });
    StatusRecorder recorder;
    std::atomic<uint32_t> callbackQueries{0};
    recorder.action = [&](const StatusRecorder::Record&) {
        uint8_t status[5] = {};
        if (RvStatementGetStatus(handle, status) == 0) ++callbackQueries;
    };
    registerStatusCallback(recorder);
    const uint32_t result = selfTest(0);
    done = true;
    querier.join();
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_GT(queries.load(), 0u);
    EXPECT_EQ(failedQueries.load(), 0u);
    EXPECT_GT(callbackQueries.load(), 0u) << "the status callback saw no change during the test";
    EXPECT_EQ(callerExchangesOf(u"ExitSelfTest").size(), 1u);
}


// The full run reaches the data step with no data: the steps before it ran, the test ends there
// and self-test mode is left.
TEST_F(SelfTestTest, TheFullRunWithoutDataEndsAtTheDataStep) {
    EXPECT_EQ(selfTest(0, nullptr, 0), 9u);
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(idsWritten(), (std::vector<uint8_t>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(callerExchanges().back(), u"ExitSelfTest");
    EXPECT_EQ(callerExchangesOf(u"ExitSelfTest").size(), 1u);
    EXPECT_FALSE(inSelfTest());
    EXPECT_EQ(stateFlags() & kSelfTestEndMask, 0u);
}

// A status read the driver fails with code 5 while a paper step runs marks the monitor's record
// (byte 4 bit 7): the step ends with the self-test error.
TEST_F(SelfTestTest, AFailingStatusReadDuringAPaperStepIsAnError) {
    behave([](sim::MediaBehaviour& b) { b.movementStarts = false; });
    std::atomic<uint32_t> result{0xFFFF};
    std::thread tester([&] { result = selfTest(3); });
    EXPECT_TRUE(eventually([&] { return !stepsRun().empty(); }));
    device->injectFault(u"StatusGet", sim::Fault::wrongSize(1, 5), 1000);
    tester.join();
    EXPECT_EQ(result.load(), 23u);
    EXPECT_EQ(stepsRun(), std::vector<uint8_t>{3});
    EXPECT_EQ(exchangesOf(u"ExitSelfTest").size(), 1u);
    EXPECT_FALSE(inSelfTest());
}


// On the OXA ST every step runs the same way, the paper steps on the edges of either record.
TEST_F(OxaSelfTestTest, TheFullRunEndsWell) {
    EXPECT_EQ(RvStatementPerformSelfTest(handle, 0, kData, sizeof kData), 0u);
    EXPECT_EQ(stepsRun(), (std::vector<uint8_t>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(inSelfTest());
    EXPECT_EQ(stateFlags() & kSelfTestEndMask, 0u);
}

}  // namespace
}  // namespace rvs::test
