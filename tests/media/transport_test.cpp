// Transport: the cut phase the configuration chooses, the movement, the time-out review, the
// held-back status callbacks and what its failure exit takes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;
using Names = std::vector<std::u16string>;

class TransportTest : public MediaFixture {
protected:
    void SetUp() override {
        openPrinter();
        behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs.reset(); });
        spooler->clearLog();
    }
    void configure(uint8_t byte0) { device->setAnswer(u"GetConfiguration", {byte0, 0, 0, 0, 0, 0, 0, 0}); }
};

TEST_F(TransportTest, CutsThenMoves) {
    EXPECT_EQ(RvStatementTransport(handle, 2), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"GetConfiguration", u"StatusGet", u"Transport_input", u"Transport", u"StatusGet",
                                       u"StatusGet", u"ConsecutivePrintEnable"}));
    const sim::Exchange mode = callerExchangesOf(u"Transport_input").at(0);
    EXPECT_EQ(mode.type, platform::kRegBinary);
    EXPECT_EQ(mode.bytes, std::vector<uint8_t>{2});
    EXPECT_THAT(lines(17), ElementsAreArray({"[TRACE:5001]Call:17", "[INF:4001]Transport:2", "[TRACE:5002]Ret:17"}));
    EXPECT_EQ(eventFlags() & event::TransportFilter, 0u);
}

TEST_F(TransportTest, ConfigurationBit7WithoutBit4SkipsTheCut) {
    configure(0x80);
    EXPECT_EQ(RvStatementTransport(handle, 3), 0u);
    EXPECT_EQ(callerRequests(), (Names{u"GetConfiguration", u"StatusGet", u"Transport_input", u"Transport", u"StatusGet",
                                       u"ConsecutivePrintEnable"}));
    EXPECT_EQ(printer([](sim::DriverState& d) { return d.paper.retractedCount; }), 1);
}

// A cut that starts 4 s after the request: within the start limit of 5 s (bit 4), not of 3 s.
struct CutStart {
    const char* name;
    uint8_t configuration0;
    uint32_t expected;  // 19: the cut was seen, and the movement (never started) was waited for
};
void PrintTo(const CutStart& c, std::ostream* out) { *out << c.name; }

class CutStartTest : public TransportTest, public ::testing::WithParamInterface<CutStart> {};

TEST_P(CutStartTest, WaitsAsLongAsTheConfigurationSays) {
    clock->setSpeed(4);  // a second of margin on either side is a quarter of a real second
    configure(GetParam().configuration0);
    behave([](sim::MediaBehaviour& b) {
        b.cutStarts = false;
        b.movementStarts = false;
    });
    device->schedule(4000, [](sim::Device& d) { d.setStatusBit(0, 0x80, true); });
    device->schedule(4300, [](sim::Device& d) { d.setStatusBit(0, 0x80, false); });
    EXPECT_EQ(RvStatementTransport(handle, 2), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Configurations, CutStartTest,
                         ::testing::Values(CutStart{"Bit4Waits5s", 0x10, 19}, CutStart{"Bits4And7Wait5s", 0x90, 19},
                                           CutStart{"NoBitsWait3s", 0x00, 21}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Timeout {
    const char* name;
    uint8_t configuration0;
    std::function<void(sim::MediaBehaviour&)> behaviour;
    uint8_t byte1;  // status byte 1 bits raised once the movement was asked for
    uint32_t expected;
};
void PrintTo(const Timeout& c, std::ostream* out) { *out << c.name; }

class TransportTimeoutTest : public TransportTest, public ::testing::WithParamInterface<Timeout> {};

TEST_P(TransportTimeoutTest, SurvivesOnlyAClearStatus) {
    const Timeout& c = GetParam();
    configure(c.configuration0);
    behave(c.behaviour);
    if (c.byte1 != 0) {
        const uint8_t byte1 = c.byte1;
        afterMovementRequest([byte1](sim::DriverState& d) { d.status[1] |= byte1; });
    }
    clock->setSpeed(kLimitSpeed);
    const uint32_t result = RvStatementTransport(handle, 2);
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, c.expected);
    char error[64];
    std::snprintf(error, sizeof error, "[WAR:3001]Func:17 return 0x%02X", c.expected);
    EXPECT_THAT(lines(17), ElementsAreArray({std::string("[TRACE:5001]Call:17"), std::string("[INF:4001]Transport:2"), std::string(error), std::string("[TRACE:5002]Ret:17")}));
    EXPECT_EQ(eventFlags() & (event::TransportFilter | event::PendingEject), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Reviews, TransportTimeoutTest,
    ::testing::Values(
        Timeout{"CutNotStarted", 0x00, [](sim::MediaBehaviour& b) { b.cutStarts = false; }, 0, 21},
        Timeout{"CutNotEnded", 0x00, [](sim::MediaBehaviour& b) { b.cutEnds = false; }, 0, 22},
        Timeout{"MoveNotStarted", 0x80, [](sim::MediaBehaviour& b) { b.movementStarts = false; }, 0, 19},
        Timeout{"MoveNotEnded", 0x80, [](sim::MediaBehaviour& b) { b.movementEnds = false; }, 0, 20},
        Timeout{"MoveJammedIsAPaperError", 0x80, [](sim::MediaBehaviour& b) { b.movementJams = true; }, 0, 12},
        Timeout{"MoveNotEndedWithAPrinterError", 0x80, [](sim::MediaBehaviour& b) { b.movementEnds = false; }, 0x04,
                4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransportTest, TheFullErrorCheckComesBeforeTheRequest) {
    device->setStatusBit(1, 0x40, true);
    EXPECT_EQ(RvStatementTransport(handle, 1), 4u);
    device->setStatus({0x08, 0x80, 0, 0, 0});  // an error the printer reports as waiting for a self-test
    spooler->clearLog();
    EXPECT_EQ(RvStatementTransport(handle, 2), 0u);
}

TEST_F(TransportTest, AModeOutOfRangeIsRefusedAfterItsInputLine) {
    for (uint8_t mode : {0, 4}) {
        spooler->clearLog();
        EXPECT_EQ(RvStatementTransport(handle, mode), 9u);
        EXPECT_THAT(lines(17), ElementsAreArray({std::string("[TRACE:5001]Call:17"),
                                                 "[INF:4001]Transport:" + std::to_string(mode)}));
        EXPECT_EQ(callerExchanges(), Names{});
    }
}

TEST_F(TransportTest, StatusCallbacksSkipTheMovementBitsWhileItRuns) {
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setStatusBit(0, 0x01, true);  // a printed statement in the paper path
    ASSERT_TRUE(eventually([&] { return recorder.count() == 1; }));
    EXPECT_EQ(RvStatementTransport(handle, 3), 0u);
    // The paper path clears after the retract: that change is delivered, the cut and the
    // movement before it are not.
    ASSERT_TRUE(eventually([&] { return recorder.count() >= 2; }));
    for (const StatusRecorder::Record& record : recorder.records()) {
        EXPECT_EQ(record[0] & 0xC0, 0) << hex(record);
    }
    EXPECT_EQ(recorder.records().back()[0], 0x00);
}

// An earlier movement's pending confirmation survives a transport that fails.
TEST_F(TransportTest, AFailureTakesBackOnlyWhatItSet) {
    configure(0x80);
    behave([](sim::MediaBehaviour& b) { b.movementStarts = false; });
    std::unique_lock<Lock> parked = park();  // nothing confirms or catches up meanwhile
    setEventFlags(event::PendingPresent);
    EXPECT_EQ(RvStatementTransport(handle, 2), 19u);
    EXPECT_EQ(eventFlags() & (event::PendingPresent | event::PendingEject | event::TransportFilter |
                              event::TransportCatchUp),
              event::PendingPresent | event::TransportCatchUp);
}

// A paper-removed watcher that started waiting during the transport owns the watcher bits.
TEST_F(TransportTest, AFailureLeavesAWaitingWatchersBits) {
    device->injectFault(u"Transport", sim::Fault::answer({1}));
    Session& s = session();
    // Once the mode is written (after the handshake and the bits cleared before the request).
    std::function<void(sim::Device&)> watcherStarts = [&](sim::Device& d) {
        if (!d.input(u"Transport_input")) {
            d.schedule(0, watcherStarts);
            return;
        }
        Guard lock(s.stateLock);
        s.stateFlags = (s.stateFlags & ~state::WatcherDone) | state::WatcherRunning;
    };
    device->schedule(0, watcherStarts);
    std::unique_lock<Lock> parked = park();
    EXPECT_EQ(RvStatementTransport(handle, 2), 16u);
    EXPECT_EQ(stateFlags() & (state::WatcherRunning | state::WatcherDone), state::WatcherRunning);
    setStateFlags(state::WatcherDone, state::WatcherRunning);
    parked.unlock();

    // Without a waiting watcher the failure exit clears both.
    device->injectFault(u"Transport", sim::Fault::answer({1}));
    EXPECT_EQ(RvStatementTransport(handle, 2), 16u);
    EXPECT_EQ(stateFlags() & (state::WatcherRunning | state::WatcherDone), 0u);
}

// A failed OXA device selection is a failure exit like any other: the catch-up is due and the
// movement edges are cleared.
TEST_F(MediaFixture, AFailedOxaSelectionLeavesThroughTheFailureExit) {
    openPrinter(sim::Profile::oxaSt());
    device->injectFault(u"OXA_Select_Input", sim::Fault::callFails());
    std::unique_lock<Lock> parked = park();  // nothing catches up meanwhile
    setStateFlags(state::Byte0Bit6Rose | state::Byte0Bit6Fell);
    setEventFlags(0, event::TransportCatchUp);
    EXPECT_EQ(RvStatementTransport(handle, 2), 9u);
    EXPECT_EQ(eventFlags() & (event::TransportFilter | event::TransportCatchUp), event::TransportCatchUp);
    EXPECT_EQ(stateFlags() & (state::Byte0Bit6Rose | state::Byte0Bit6Fell), 0u);
}

}  // namespace
}  // namespace rvs::test
