// The paper-removed watcher that runs after paper has left the exit.
#include <gtest/gtest.h>

#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;
using Records = std::vector<StatusRecord>;

class PaperWatcherTest : public MonitorFixture {
protected:
    // Paper at the exit (status byte 0 bit 6), then gone with `events` pending.
    void paperLeaves(uint32_t events, bool watchRemoval) {
        device->setStatusBit(0, 0x40, true);
        awaitCycles();
        auto parked = park();
        setEventFlags(events);
        if (watchRemoval) {
            setStateFlags(state::WatchPaperRemoval);
        }
        device->setStatusBit(0, 0x40, false);
        spooler->clearLog();
    }
    bool watcherDone() { return (stateFlags() & state::WatcherDone) != 0; }
    // The watcher waits for the customer: it has looked at "PaperRemoved" a few times.
    void awaitWaiting() {
        ASSERT_TRUE(eventually([&] {
            return (stateFlags() & state::WatcherRunning) != 0 && exchangesOf(u"PaperRemoved").size() >= 3;
        }));
    }
    uint8_t transportStatus() {
        return locked([](Session& s) { return s.transportStatus; });
    }
};

TEST_F(PaperWatcherTest, PresentWithoutRemovalWatchOnlyRefreshesTheTransportStatus) {
    openPrinter();
    device->setAnswer(u"GetTransport", {0x5A});
    paperLeaves(event::PendingPresent, false);
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();

    EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"}));
    EXPECT_EQ(transportStatus(), 0x5A);
    EXPECT_EQ(eventFlags() & event::PendingPresent, 0u);
    EXPECT_EQ(stateFlags() & (state::WatcherRunning | state::WatcherDone), state::WatcherDone);
}

TEST_F(PaperWatcherTest, WaitsForRemovalThenDeliversOneRecordWithTheRemovedByte) {
    openPrinter();
    device->setStatus({0x00, 0x00, 0x00, 0x00, 0x10});
    awaitCycles();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setAnswer(u"GetTransport", {0xFD});
    device->setAnswer(u"PaperRemoved", {0x00});
    paperLeaves(event::PendingPresent, true);
    awaitWaiting();

    EXPECT_EQ(stateFlags() & (state::WatchPaperRemoval | state::WatcherDone), 0u);
    EXPECT_EQ(transportStatus(), 0xFD);
    // The status is still polled while the customer is waited for.
    device->setStatusBit(2, 0x01, true);
    ASSERT_TRUE(eventually([&] { return recorder.count() == 3; }));

    device->setAnswer(u"PaperRemoved", {0x41});
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();

    EXPECT_EQ(recorder.records(), (Records{{0x40, 0x00, 0x00, 0x00, 0x10},
                                           {0x00, 0x00, 0x00, 0x00, 0x10},
                                           {0x00, 0x00, 0x01, 0x00, 0x10},
                                           {0x00, 0x00, 0x01, 0x00, 0x51}}));
    EXPECT_EQ(cachedStatus(), (StatusRecord{0x00, 0x00, 0x01, 0x00, 0x10}));
    EXPECT_EQ(locked([](Session& s) { return s.deliveredStatus; }), (StatusRecord{0x00, 0x00, 0x01, 0x00, 0x10}));
    EXPECT_EQ(stateFlags() & state::WatcherRunning, 0u);
    const std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "[STS:7001]0000010010");
    EXPECT_EQ(lines[lines.size() - 1], "[STS:7002]0000010051");
    const Names names = exchangeNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], u"GetTransport");
    EXPECT_EQ(Names(names.begin() + 1, names.end()), Names(names.size() - 1, u"PaperRemoved"));
}

TEST_F(PaperWatcherTest, OxaRemovalSetsByte6Bit6InTheOxaRecord) {
    openPrinter(sim::Profile::oxaSt());
    OxaRecorder oxa;
    StatusRecorder plain;
    registerOxaCallback(oxa);
    registerStatusCallback(plain);
    device->setOxaStatusBit(3, 0x01, true);
    device->setOxaStatusBit(8, 0x40, true);
    device->setAnswer(u"PaperRemoved", {0x41});
    awaitCycles();
    {
        auto parked = park();
        setEventFlags(event::PendingPresent);
        setStateFlags(state::WatchPaperRemoval);
        device->setOxaStatusBit(8, 0x40, false);
    }
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();

    OxaStatusRecord atExit{};
    atExit[3] = 0x01;
    atExit[8] = 0x40;
    OxaStatusRecord gone{};
    gone[3] = 0x01;
    OxaStatusRecord removed = gone;
    removed[6] = 0x40;
    EXPECT_EQ(oxa.records(), (std::vector<OxaStatusRecord>{atExit, gone, removed}));
    EXPECT_EQ(locked([](Session& s) { return s.deliveredOxaStatus; }), gone);
    EXPECT_EQ(plain.count(), 0u);
}

// "GetTransport" bit 1 tells whether the presented paper is still in the transport.
struct TransportCase {
    const char* name;
    uint8_t transport;
    bool waits;
};

class PresentTransportTest : public PaperWatcherTest, public ::testing::WithParamInterface<TransportCase> {};

TEST_P(PresentTransportTest, WaitsOnlyWhenTransportBit1IsClear) {
    openPrinter();
    device->setAnswer(u"GetTransport", {GetParam().transport});
    paperLeaves(event::PendingPresent, true);
    if (GetParam().waits) {
        awaitWaiting();
    } else {
        ASSERT_TRUE(eventually([&] { return watcherDone(); }));
        awaitCycles();
        EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"}));
    }
    EXPECT_EQ(transportStatus(), GetParam().transport);
}

INSTANTIATE_TEST_SUITE_P(Transport, PresentTransportTest,
                         ::testing::Values(TransportCase{"Clear", 0x00, true},
                                           TransportCase{"AllButBit1", 0xFD, true},
                                           TransportCase{"Bit1", 0x02, false},
                                           TransportCase{"All", 0xFF, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaperWatcherTest, FailedTransportReadEndsTheWatchAndKeepsTheOldTransportStatus) {
    openPrinter();
    locked([](Session& s) { s.transportStatus = 0x33; });
    device->injectFault(u"GetTransport", sim::Fault::callFails());
    paperLeaves(event::PendingPresent, true);
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();

    EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"}));
    EXPECT_EQ(transportStatus(), 0x33);
}

class OtherMovementTest : public PaperWatcherTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(OtherMovementTest, OnlyRefreshesTheTransportStatusEvenWithRemovalWatched) {
    openPrinter();
    device->setAnswer(u"GetTransport", {0x00});
    paperLeaves(GetParam(), true);
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();

    EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"}));
    EXPECT_EQ(eventFlags() & GetParam(), 0u);
    EXPECT_NE(stateFlags() & state::WatchPaperRemoval, 0u);
}

INSTANTIATE_TEST_SUITE_P(Events, OtherMovementTest,
                         ::testing::Values(event::PendingEject, event::PendingRetract, event::PendingPaperChange));

TEST_F(PaperWatcherTest, PendingEventsAreTakenOneAtATimeInOrder) {
    openPrinter();
    const uint32_t all =
        event::PendingPresent | event::PendingEject | event::PendingRetract | event::PendingPaperChange;
    setEventFlags(all | event::TransportFilter);
    uint32_t left = all;
    for (uint32_t next : {event::PendingPresent, event::PendingEject, event::PendingRetract,
                          event::PendingPaperChange}) {
        paperLeaves(0, false);
        ASSERT_TRUE(eventually([&] { return watcherDone(); }));
        setStateFlags(0, state::WatcherDone);
        left &= ~next;
        EXPECT_EQ(eventFlags(), left | event::TransportFilter);
        EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"}));
    }
    // With nothing pending there is nothing to ask.
    paperLeaves(0, false);
    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    EXPECT_EQ(exchangeNames(), Names{});
}

TEST_F(PaperWatcherTest, CommandDuringTheWaitEndsItAndReturnsOnlyAfterWatcherDone) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    paperLeaves(event::PendingPresent, true);
    awaitWaiting();
    // A slow driver keeps the watcher inside its exchange when the command arrives.
    device->injectFault(u"PaperRemoved", sim::Fault::delay(100), -1);

    CommandHandshake(session());

    EXPECT_EQ(stateFlags() & (state::WatcherDone | state::WatcherRunning), state::WatcherDone);
    awaitCycles();
    EXPECT_EQ(recorder.count(), 2u);  // paper at the exit, paper gone; no removal report
}

TEST_F(PaperWatcherTest, CommandArrivingWhileTheWatcherStartsEndsItBeforeTheWait) {
    openPrinter();
    device->setAnswer(u"GetTransport", {0x00});
    // The driver is slow to answer the transport read; the command comes meanwhile.
    device->injectFault(u"GetTransport", sim::Fault::delay(300));
    paperLeaves(event::PendingPresent, true);
    ASSERT_TRUE(eventually([&] { return (eventFlags() & event::PendingPresent) == 0; }));  // picked

    CommandHandshake(session());  // finds no watcher running: goes on at once

    ASSERT_TRUE(eventually([&] { return watcherDone(); }));
    awaitCycles();
    EXPECT_EQ(exchangeNames(), (Names{u"GetTransport"})) << "no look at \"PaperRemoved\"";
    EXPECT_EQ(stateFlags() & (state::WatchPaperRemoval | state::WatcherRunning), 0u);
}

TEST_F(PaperWatcherTest, CommandFlagLeftFromBeforeDoesNotEndTheWait) {
    openPrinter();
    device->setAnswer(u"GetTransport", {0x00});
    setStateFlags(state::CommandPending);  // the command that presented the paper
    paperLeaves(event::PendingPresent, true);
    awaitWaiting();
    EXPECT_EQ(stateFlags() & state::CommandPending, 0u);
}

TEST_F(PaperWatcherTest, PauseDuringTheWaitReturnsWithoutTheCustomerAndResumeLetsTheMonitorRun) {
    openPrinter();
    paperLeaves(event::PendingPresent, true);
    awaitWaiting();

    ASSERT_EQ(PauseMonitor(session()), 0u);
    EXPECT_EQ(stateFlags() & (state::WatcherDone | state::WatcherRunning), state::WatcherDone);
    const size_t looks = exchangesOf(u"PaperRemoved").size();
    ASSERT_EQ(ResumeMonitor(session()), 0u);

    awaitCycles();
    EXPECT_EQ(exchangesOf(u"PaperRemoved").size(), looks);
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
}

TEST_F(PaperWatcherTest, CloseEndsAWaitingWatcher) {
    openPrinter();
    paperLeaves(event::PendingPresent, true);
    awaitWaiting();
    close();
    EXPECT_EQ(exchangesOf(u"Close").size(), 1u);
}

}  // namespace
}  // namespace rvs::test
