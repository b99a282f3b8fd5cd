// The OXA ST's own status poll and callback, and the OXA print timer with its purge.
#include <gtest/gtest.h>

#include "channel/print_control.h"
#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;
constexpr uint32_t kMinuteMs = 60000;

OxaStatusRecord oxaRecord(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    OxaStatusRecord r{};
    for (const auto& [at, value] : bytes) {
        r[at] = value;
    }
    return r;
}

class OxaStatusTest : public MonitorFixture {
protected:
    void SetUp() override { openPrinter(sim::Profile::oxaSt()); }
};

TEST_F(OxaStatusTest, ChangeReachesTheOxaCallbackWithAll18BytesAndItsUserValue) {
    OxaRecorder oxa;
    StatusRecorder plain;
    registerOxaCallback(oxa);
    registerStatusCallback(plain);

    device->setOxaStatusBit(3, 0x11, true);
    device->setOxaStatusBit(17, 0x80, true);
    awaitCycles();
    awaitCycles();

    const std::vector<OxaRecorder::Call> calls = oxa.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record, oxaRecord({{3, 0x11}, {17, 0x80}}));
    EXPECT_EQ(calls[0].userData, oxa.userValue());
    EXPECT_EQ(cachedOxaStatus(), oxaRecord({{3, 0x11}, {17, 0x80}}));
    EXPECT_EQ(plain.count(), 0u);
    // The OXA change line carries no text; its dumps are 18 bytes long.
    EXPECT_EQ(traceFrom("[TRACE:5003]"),
              (std::vector<std::string>{"[TRACE:5003]", "[STS:7001]" + hex(OxaStatusRecord{}),
                                        "[STS:7002]" + hex(oxaRecord({{3, 0x11}, {17, 0x80}}))}));
}

TEST_F(OxaStatusTest, WithByte8Bit3SetOnlyBytes0To7AreCompared) {
    OxaRecorder oxa;
    registerOxaCallback(oxa);

    device->setOxaStatusBit(8, 0x08, true);
    device->setOxaStatusBit(12, 0xFF, true);
    awaitCycles();
    EXPECT_EQ(oxa.count(), 0u);
    EXPECT_EQ(cachedOxaStatus(), OxaStatusRecord{});

    device->setOxaStatusBit(7, 0x01, true);
    awaitCycles();
    EXPECT_EQ(oxa.records(), (std::vector<OxaStatusRecord>{oxaRecord({{7, 0x01}, {8, 0x08}, {12, 0xFF}})}));

    // Without bit 3 the tail counts again.
    device->setOxaStatusBit(8, 0x08, false);
    awaitCycles();
    EXPECT_EQ(oxa.records().back(), oxaRecord({{7, 0x01}, {12, 0xFF}}));
}

TEST_F(OxaStatusTest, FailedReadWithCode5MarksByte6Bit7Once) {
    OxaRecorder oxa;
    registerOxaCallback(oxa);
    device->injectFault(u"OXAGetStatus", sim::Fault::wrongSize(17, 5u), -1);
    awaitCycles(4);

    EXPECT_EQ(oxa.records(), (std::vector<OxaStatusRecord>{oxaRecord({{6, 0x80}})}));
}

class OxaPrintTimerTest : public OxaStatusTest {
protected:
    void startTimer() {
        device->setOxaStatusBit(0, 0x20, true);
        ASSERT_TRUE(eventually([&] { return locked([](Session& s) { return s.oxaTimerRunning == 1; }); }));
    }
    size_t purges() { return exchangesOf(u"PurgeData").size(); }
    bool timerRunning() {
        return locked([](Session& s) { return s.oxaTimerRunning == 1; });
    }
};

TEST_F(OxaPrintTimerTest, RiseOfByte0Bit5StartsTheTimerAndItsFallStopsIt) {
    const uint32_t before = clock->tickCount();
    startTimer();
    const uint32_t start = locked([](Session& s) { return s.oxaTimerStart; });
    EXPECT_LE(start - before, clock->tickCount() - before);

    device->setOxaStatusBit(0, 0x20, false);
    awaitCycles();
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(locked([](Session& s) { return s.oxaTimerStart; }), 0u);
    EXPECT_EQ(purges(), 0u);
}

TEST_F(OxaPrintTimerTest, TimeOutPurgesAndReportsThePurgeInTheRecordsOfThatCycle) {
    OxaRecorder oxa;
    StatusRecorder plain;
    registerOxaCallback(oxa);
    registerStatusCallback(plain);
    startTimer();
    {
        auto parked = park();
        device->setOxaStatusBit(0, 0x20, false);
        clock->advance(3 * kMinuteMs);
        spooler->clearLog();
    }
    awaitCycles(3);

    EXPECT_EQ(exchangeNames(), (Names{u"PurgeData", u"ConsecutivePrintEnable"}));
    EXPECT_FALSE(timerRunning());
    // The cycle of the purge reports it (OXA byte 6, plain byte 4); the next one no longer does.
    const std::vector<OxaStatusRecord> oxaRecords = oxa.records();
    ASSERT_EQ(oxaRecords.size(), 3u);
    EXPECT_EQ(oxaRecords[1], oxaRecord({{6, 0x08}}));
    EXPECT_EQ(oxaRecords[2], OxaStatusRecord{});
    EXPECT_EQ(plain.records(),
              (std::vector<StatusRecord>{{0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x00}}));
}

TEST_F(OxaPrintTimerTest, NoPurgeBeforeTheWholeMinutesHavePassed) {
    startTimer();
    clock->advance(3 * kMinuteMs - 20000);
    awaitCycles(3);
    EXPECT_EQ(purges(), 0u);
    EXPECT_TRUE(timerRunning());
}

TEST_F(OxaPrintTimerTest, WhileByte0Bit5StaysSetThePurgeRepeatsEachCycleWithoutReport) {
    OxaRecorder oxa;
    registerOxaCallback(oxa);
    // Printing shows in both status records; either one's bit 5 clear would end the timer.
    device->setStatusBit(0, 0x20, true);
    startTimer();
    awaitCycles();
    spooler->clearLog();
    clock->advance(3 * kMinuteMs);
    awaitCycles(4);

    EXPECT_GE(purges(), 2u);
    const Names names = exchangeNames();
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], i % 2 == 0 ? u"PurgeData" : u"ConsecutivePrintEnable") << i;
    }
    EXPECT_TRUE(timerRunning());
    EXPECT_EQ(oxa.count(), 1u);  // only the rise of bit 5
    EXPECT_EQ(cachedOxaStatus()[6] & 0x08, 0);
}

TEST_F(OxaPrintTimerTest, TheTimeOutIsMeasuredAcrossTheTickWrap) {
    clock->setTickCount(0xFFFFFFFFu - 30000);
    startTimer();
    spooler->clearLog();
    clock->advance(3 * kMinuteMs - 20000);  // past the wrap, not yet three minutes
    awaitCycles(3);
    EXPECT_EQ(purges(), 0u);

    clock->advance(20000);
    ASSERT_TRUE(eventually([&] { return exchangesOf(u"ConsecutivePrintEnable").size() > 0; }));
    const Names names = exchangeNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], u"PurgeData");
    EXPECT_EQ(names[1], u"ConsecutivePrintEnable");
}

class ZeroTimeOutTest : public MonitorFixture {};

TEST_F(ZeroTimeOutTest, PurgesAtTheFirstCycleAfterTheRise) {
    addPrinter(sim::Profile::oxaSt());
    device->setAnswer(u"TimeInterval", {kIntervalMs, 0, 0, 0});
    device->setAnswer(u"OXAPrintTimeOut", {0});
    ASSERT_NE(open(), nullptr);
    {
        auto parked = park();
        device->setOxaStatusBit(0, 0x20, true);
        spooler->clearLog();
    }
    awaitCycles(2);  // the cycle that sees the rise, then the one that purges
    EXPECT_GE(exchangesOf(u"PurgeData").size(), 1u);
}

class InternalPurgeTest : public MonitorFixture {};

TEST_F(InternalPurgeTest, RefusedPurgeGives16AndSkipsConsecutivePrinting) {
    openPrinter();
    auto parked = park();
    spooler->clearLog();
    device->injectFault(u"PurgeData", sim::Fault::answer({1}));
    EXPECT_EQ(InternalPurge(session()), 16u);
    EXPECT_EQ(exchangeNames(), (Names{u"PurgeData"}));
}

TEST_F(InternalPurgeTest, FailedConsecutivePrintingGives16) {
    openPrinter();
    auto parked = park();
    device->injectFault(u"ConsecutivePrintEnable", sim::Fault::wrongSize(0, 5u));
    EXPECT_EQ(InternalPurge(session()), 16u);
    device->injectFault(u"PurgeData", sim::Fault::callFails());
    EXPECT_EQ(InternalPurge(session()), 9u);
    EXPECT_EQ(InternalPurge(session()), 0u);
}

}  // namespace
}  // namespace rvs::test
