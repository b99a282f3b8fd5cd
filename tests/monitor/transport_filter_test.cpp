// Callbacks held back while a transport runs, and the one catch-up delivery after it.
#include <gtest/gtest.h>

#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

using Records = std::vector<StatusRecord>;

class TransportFilterTest : public MonitorFixture {
protected:
    void SetUp() override {
        openPrinter();
        registerStatusCallback(recorder);
    }
    StatusRecorder recorder;
};

TEST_F(TransportFilterTest, ChangeOnlyInByte0Bits5To7UpdatesStatusAndEdgesButCallsNoCallback) {
    setEventFlags(event::TransportFilter);
    device->setStatus({0xE0, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();

    EXPECT_EQ(recorder.count(), 0u);
    EXPECT_EQ(cachedStatus(), (StatusRecord{0xE0, 0x00, 0x00, 0x00, 0x00}));
    const uint32_t rose = state::Byte0Bit5Rose | state::Byte0Bit6Rose | state::Byte0Bit7Rose;
    EXPECT_EQ(stateFlags() & rose, rose);
    EXPECT_EQ(traceFrom("[TRACE:5003]Change"),
              (std::vector<std::string>{"[TRACE:5003]Change", "[STS:7001]0000000000", "[STS:7002]E000000000"}));
}

TEST_F(TransportFilterTest, ChangeElsewhereIsDelivered) {
    setEventFlags(event::TransportFilter);
    device->setStatus({0x20, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();
    device->setStatus({0x21, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();
    device->setStatus({0x21, 0x00, 0x00, 0x00, 0x10});
    awaitCycles();

    EXPECT_EQ(recorder.records(), (Records{{0x21, 0x00, 0x00, 0x00, 0x00}, {0x21, 0x00, 0x00, 0x00, 0x10}}));
    EXPECT_EQ(locked([](Session& s) { return s.deliveredStatus; }), (StatusRecord{0x21, 0x00, 0x00, 0x00, 0x10}));
}

TEST_F(TransportFilterTest, CatchUpDeliversTheCurrentRecordOnceWhenTheHeldBackBitsCleared) {
    // Delivered while moving (bit 5 set), then the end of the move is held back by the filter.
    device->setStatus({0x20, 0x01, 0x00, 0x00, 0x00});
    awaitCycles();
    setEventFlags(event::TransportFilter);
    device->setStatus({0x00, 0x01, 0x00, 0x00, 0x00});
    awaitCycles();
    ASSERT_EQ(recorder.count(), 1u);

    setEventFlags(event::TransportCatchUp, event::TransportFilter);
    awaitCycles(3);

    EXPECT_EQ(recorder.records(), (Records{{0x20, 0x01, 0x00, 0x00, 0x00}, {0x00, 0x01, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(locked([](Session& s) { return s.deliveredStatus; }), (StatusRecord{0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(eventFlags() & event::TransportCatchUp, 0u);
}

struct CatchUpCase {
    const char* name;
    uint8_t deliveredByte0;
    uint8_t currentByte0;
};

class NoCatchUpTest : public MonitorFixture, public ::testing::WithParamInterface<CatchUpCase> {};

TEST_P(NoCatchUpTest, DeliversNothingAndStillEndsTheCatchUp) {
    openPrinter();
    StatusRecorder recorder;
    device->setStatus({GetParam().currentByte0, 0x01, 0x00, 0x00, 0x00});
    awaitCycles();
    registerStatusCallback(recorder);
    locked([&](Session& s) {
        s.deliveredStatus = {GetParam().deliveredByte0, 0x01, 0x00, 0x00, 0x00};
        s.eventFlags |= event::TransportCatchUp;
    });
    awaitCycles();

    EXPECT_EQ(recorder.count(), 0u);
    EXPECT_EQ(eventFlags() & event::TransportCatchUp, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, NoCatchUpTest,
                         ::testing::Values(CatchUpCase{"NothingHeldBack", 0x1F, 0x00},
                                           CatchUpCase{"StillMoving", 0x80, 0x40}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransportFilterTest, CatchUpWaitsForAnUnchangedPoll) {
    device->setStatus({0x40, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();
    {
        auto parked = park();
        setEventFlags(event::TransportCatchUp);
        device->setStatus({0x00, 0x00, 0x00, 0x00, 0x00});
    }
    awaitCycles(3);

    // The change itself is delivered by the change test; the next unchanged poll finds the
    // delivered record already free of bits 5 to 7 and only ends the catch-up.
    EXPECT_EQ(recorder.records(), (Records{{0x40, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(eventFlags() & event::TransportCatchUp, 0u);
}

}  // namespace
}  // namespace rvs::test
