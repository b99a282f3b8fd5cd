// The virtual printer's print job and paper path: requests start actions that raise and drop
// status bits on the device's timeline, each undone only after the status was read.
#include <gtest/gtest.h>

#include <cstdio>

#include "sim/driver_state.h"
#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

class PaperPathTest : public SimTest {
protected:
    void SetUp() override {
        open(Profile::korvelin());
        device_->update([](DriverState& d) { d.paper.behaviour.customerTakesAfterMs = 1000; });
    }
    // Reads the status every `stepMs` for `totalMs`; the distinct byte 0 values seen, in order.
    std::vector<uint8_t> watch(uint32_t totalMs, uint32_t stepMs = 10) {
        std::vector<uint8_t> seen;
        for (uint32_t t = 0; t <= totalMs; t += stepMs) {
            const GetResult r = get(u"StatusGet", 5);
            if (r.error == 0 && (seen.empty() || seen.back() != r.bytes[0])) seen.push_back(r.bytes[0]);
            clock_.advance(stepMs);
        }
        return seen;
    }
    uint8_t byteOf(const std::u16string& name) { return get(name, 1).bytes[0]; }
    const DeviceTimings& timings() { return device_->profile().timings; }
};

TEST_F(PaperPathTest, APresentMovesThePaperAndTheCustomerTakesIt) {
    ASSERT_EQ(get(u"Present", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(byteOf(u"GetTransport"), 0x02);  // on its way
    device_->setStatusBit(0, 0x01, true);
    EXPECT_EQ(watch(timings().movementMs + 200), (std::vector<uint8_t>{0x01, 0x41, 0x01}));
    EXPECT_EQ(byteOf(u"GetTransport"), 0x00);
    EXPECT_EQ(get(u"GetFeedingValue", 4).bytes, le32(timings().statementFeed));
    EXPECT_EQ(byteOf(u"PaperRemoved"), 0x00);
    EXPECT_EQ(watch(1100), (std::vector<uint8_t>{0x01, 0x00}));
    EXPECT_EQ(byteOf(u"PaperRemoved"), 0x40);
}

// A monitor that polls late still sees the movement: its end is counted from a read of its rise.
TEST_F(PaperPathTest, AMovementEndsOnlyAfterItsRiseWasRead) {
    get(u"Eject", 1);
    clock_.advance(timings().startMs + timings().movementMs + 1000);  // nobody polls meanwhile
    EXPECT_EQ(watch(timings().movementMs - 50), std::vector<uint8_t>{0x40});
    EXPECT_EQ(watch(100), (std::vector<uint8_t>{0x40, 0x00}));
}

TEST_F(PaperPathTest, ARetractCountsTheSheet) {
    get(u"Retract", 1);
    watch(timings().movementMs + 200);
    EXPECT_EQ(byteOf(u"GetRetractedCount"), 1);
}

TEST_F(PaperPathTest, ARefusedRequestStartsNothing) {
    device_->setAnswer(u"Present", {1});
    get(u"Present", 1);
    EXPECT_EQ(watch(1000), std::vector<uint8_t>{0x00});
    EXPECT_EQ(byteOf(u"GetTransport"), 0x00);
}

struct TransportCase {
    const char* name;
    uint8_t configuration0;
    std::vector<uint8_t> seen;
};
void PrintTo(const TransportCase& c, std::ostream* out) { *out << c.name; }

class TransportPathTest : public PaperPathTest, public ::testing::WithParamInterface<TransportCase> {};

TEST_P(TransportPathTest, CutsAsTheConfigurationSaysThenMoves) {
    device_->setAnswer(u"GetConfiguration", {GetParam().configuration0, 0, 0, 0, 0, 0, 0, 0});
    set(u"Transport_input", platform::kRegBinary, {3});
    get(u"Transport", 1);
    EXPECT_EQ(watch(2000), GetParam().seen);
}

INSTANTIATE_TEST_SUITE_P(Configurations, TransportPathTest,
                         ::testing::Values(TransportCase{"NoCut", 0x80, {0x00, 0x40, 0x00}},
                                           TransportCase{"Cut", 0x00, {0x00, 0x80, 0x00, 0x40, 0x00}},
                                           TransportCase{"SlowCut", 0x90, {0x00, 0x80, 0x00, 0x40, 0x00}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaperPathTest, APrintJobRunsBetweenItsBracketAndReadsItsFile) {
    const std::string path = ::testing::TempDir() + "rvs-paper-path-job.prn";
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("statement", file);
        std::fclose(file);
    }
    const std::u16string wide(path.begin(), path.end());
    std::vector<uint8_t> name;
    for (char16_t unit : wide) {
        name.push_back(static_cast<uint8_t>(unit));
        name.push_back(static_cast<uint8_t>(unit >> 8));
    }
    get(u"StartPrinting", 1);
    EXPECT_EQ(get(u"GetPrinterStatus", 2).bytes, (std::vector<uint8_t>{0x00, 0x01}));
    EXPECT_EQ(watch(timings().startMs + 10), (std::vector<uint8_t>{0x00, 0x21}));
    EXPECT_EQ(get(u"GetPrinterStatus", 2).bytes, (std::vector<uint8_t>{0x20, 0x01}));
    set(u"TxRx_Input_Tx_Name", platform::kRegSz, name);
    get(u"TxRx_No_Response", 1);
    std::remove(path.c_str());
    get(u"EndPrinting", 1);
    EXPECT_EQ(watch(timings().jobMs + timings().startMs + 100), (std::vector<uint8_t>{0x21, 0x01}));
    EXPECT_EQ(get(u"GetPrinterStatus", 2).bytes, (std::vector<uint8_t>{0x00, 0x00}));
    const std::vector<ReceivedFile> received = device_->update([](DriverState& d) { return d.paper.received; });
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].path, wide);
    EXPECT_EQ(received[0].data, (std::vector<uint8_t>{'s', 't', 'a', 't', 'e', 'm', 'e', 'n', 't'}));
}

TEST_F(PaperPathTest, AResetSilencesTheStatusAndClearsTheErrors) {
    device_->setStatus({0x18, 0x04, 0, 0, 0});
    get(u"Reset", 1);
    EXPECT_NE(get(u"StatusGet", 5).error, 0u);
    clock_.advance(timings().resetMs);
    const GetResult back = get(u"StatusGet", 5);
    EXPECT_EQ(back.error, 0u);
    EXPECT_EQ(back.bytes, (std::vector<uint8_t>{0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace rvs::sim::testing
