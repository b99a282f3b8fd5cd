// Status edges turned into stateFlags bits, and the last-page bit in the records built.
#include <gtest/gtest.h>

#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

constexpr uint32_t kEdgeBits = state::SelfTestReady | state::FeedCounting | state::Byte0Bit5Rose |
                               state::Byte0Bit5Fell | state::Byte0Bit6Rose | state::Byte0Bit6Fell |
                               state::Byte0Bit7Rose | state::Byte0Bit7Fell;

struct Edge {
    const char* name;
    bool oxa;        // the bit is in the OXA status (OXA ST), else in the plain status
    size_t byte;
    uint8_t mask;
    bool rising;
    uint32_t raised;  // the edge bits set afterwards, of kEdgeBits
};

class EdgeEventTest : public MonitorFixture, public ::testing::WithParamInterface<Edge> {
protected:
    void setBit(bool on) {
        const Edge& e = GetParam();
        if (e.oxa) {
            device->setOxaStatusBit(e.byte, e.mask, on);
        } else {
            device->setStatusBit(e.byte, e.mask, on);
        }
    }
};

TEST_P(EdgeEventTest, RaisesExactlyItsBits) {
    const Edge& e = GetParam();
    openPrinter(e.oxa ? sim::Profile::oxaSt() : sim::Profile::korvelin());
    if (!e.rising) {
        setBit(true);
        awaitCycles();
    }
    // FeedCounting is a state, not an event: leave it as the rise made it.
    setStateFlags(0, kEdgeBits & ~state::FeedCounting);
    setBit(e.rising);
    awaitCycles();

    EXPECT_EQ(stateFlags() & kEdgeBits, e.raised);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, EdgeEventTest,
    ::testing::Values(Edge{"Byte0Bit0Rises", false, 0, 0x01, true, state::FeedCounting},
                      Edge{"Byte0Bit0Falls", false, 0, 0x01, false, 0},
                      Edge{"Byte0Bit5Rises", false, 0, 0x20, true, state::Byte0Bit5Rose},
                      Edge{"Byte0Bit5Falls", false, 0, 0x20, false, state::Byte0Bit5Fell},
                      Edge{"Byte0Bit6Rises", false, 0, 0x40, true, state::Byte0Bit6Rose},
                      Edge{"Byte0Bit6Falls", false, 0, 0x40, false, state::Byte0Bit6Fell},
                      Edge{"Byte0Bit7Rises", false, 0, 0x80, true, state::Byte0Bit7Rose},
                      Edge{"Byte0Bit7Falls", false, 0, 0x80, false, state::Byte0Bit7Fell},
                      Edge{"Byte1Bit7Rises", false, 1, 0x80, true, state::SelfTestReady},
                      Edge{"Byte1Bit7Falls", false, 1, 0x80, false, 0},
                      Edge{"Byte2Bit7Rises", false, 2, 0x80, true, 0},
                      Edge{"OxaByte0Bit0Rises", true, 0, 0x01, true, state::FeedCounting},
                      Edge{"OxaByte0Bit0Falls", true, 0, 0x01, false, 0},
                      Edge{"OxaByte0Bit5Rises", true, 0, 0x20, true, state::Byte0Bit5Rose},
                      Edge{"OxaByte0Bit5Falls", true, 0, 0x20, false, state::Byte0Bit5Fell},
                      Edge{"OxaByte0Bit6Rises", true, 0, 0x40, true, 0},
                      Edge{"OxaByte0Bit6Falls", true, 0, 0x40, false, 0},
                      Edge{"OxaByte0Bit7Rises", true, 0, 0x80, true, state::Byte0Bit7Rose},
                      Edge{"OxaByte0Bit7Falls", true, 0, 0x80, false, state::Byte0Bit7Fell},
                      Edge{"OxaByte1Bit7Rises", true, 1, 0x80, true, 0},
                      Edge{"OxaByte2Bit7Rises", true, 2, 0x80, true, state::SelfTestReady},
                      Edge{"OxaByte8Bit6Rises", true, 8, 0x40, true, 0},
                      Edge{"OxaByte8Bit6Falls", true, 8, 0x40, false, state::Byte0Bit6Rose | state::Byte0Bit6Fell}),
    [](const auto& info) { return std::string(info.param.name); });

class FeedCountingTest : public MonitorFixture {};

TEST_F(FeedCountingTest, FallOfByte0Bit0ClearsLastPageAndTheFeedingTotal) {
    openPrinter();
    device->setStatusBit(0, 0x01, true);
    awaitCycles();
    ASSERT_NE(stateFlags() & state::FeedCounting, 0u);
    locked([](Session& s) {
        s.stateFlags |= state::LastPageReached;
        s.totalFeedingValue = 700;
    });

    device->setStatusBit(0, 0x01, false);
    awaitCycles();

    EXPECT_EQ(stateFlags() & (state::FeedCounting | state::LastPageReached), 0u);
    EXPECT_EQ(locked([](Session& s) { return s.totalFeedingValue; }), 0u);
}

TEST_F(FeedCountingTest, OtherEdgesLeaveTheFeedingTotalAlone) {
    openPrinter();
    device->setStatusBit(0, 0x01, true);
    awaitCycles();
    locked([](Session& s) {
        s.stateFlags |= state::LastPageReached;
        s.totalFeedingValue = 700;
    });

    device->setStatusBit(0, 0x20, true);
    awaitCycles();

    EXPECT_EQ(stateFlags() & (state::FeedCounting | state::LastPageReached),
              state::FeedCounting | state::LastPageReached);
    EXPECT_EQ(locked([](Session& s) { return s.totalFeedingValue; }), 700u);
}

TEST_F(FeedCountingTest, LastPageReachedShowsAsByte4Bit2) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setStatus({0x00, 0x00, 0x00, 0x00, 0x01});
    awaitCycles();

    setStateFlags(state::LastPageReached);
    awaitCycles();
    EXPECT_EQ(cachedStatus(), (StatusRecord{0x00, 0x00, 0x00, 0x00, 0x05}));

    setStateFlags(0, state::LastPageReached);
    awaitCycles();
    EXPECT_EQ(recorder.records(), (std::vector<StatusRecord>{{0x00, 0x00, 0x00, 0x00, 0x01},
                                                            {0x00, 0x00, 0x00, 0x00, 0x05},
                                                            {0x00, 0x00, 0x00, 0x00, 0x01}}));
}

TEST_F(FeedCountingTest, LastPageReachedShowsAsOxaByte6Bit2) {
    openPrinter(sim::Profile::oxaSt());
    OxaRecorder recorder;
    registerOxaCallback(recorder);

    setStateFlags(state::LastPageReached);
    awaitCycles();

    OxaStatusRecord expected{};
    expected[6] = 0x04;
    EXPECT_EQ(recorder.records(), (std::vector<OxaStatusRecord>{expected}));
    EXPECT_EQ(cachedOxaStatus(), expected);
    EXPECT_EQ(cachedStatus(), (StatusRecord{0x00, 0x00, 0x00, 0x00, 0x04}));
}

}  // namespace
}  // namespace rvs::test
