#include <gtest/gtest.h>

#include "api/call_frame.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;
using Bytes = std::vector<uint8_t>;

bool contains(const Names& names, const std::u16string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class OpenTest : public SessionFixture {};

TEST_F(OpenTest, FullPathAsksTheDriverInOrder) {
    addPrinter(sim::Profile::korvelin(0x0110));
    open();
    EXPECT_EQ(exchangeNames(), (Names{u"PrinterDataSize", u"PrinterData", u"ReturnValue", u"Open", u"TimeInterval",
                                      u"OXAPrintTimeOut", u"GetPrinterVersion", u"GetThresholdForLastPage",
                                      u"TotalFeedingValue", u"CheckMultiplePagePrinting", u"GetConfiguration",
                                      u"DivisionPrinting", u"DivisionPrintingOFF", u"ConsecutivePrintEnable"}));
    const std::vector<sim::Exchange> reset = exchangesOf(u"ReturnValue");
    ASSERT_EQ(reset.size(), 1u);
    EXPECT_EQ(reset[0].direction, sim::Direction::Set);
    EXPECT_EQ(reset[0].type, 4u);
    EXPECT_EQ(reset[0].bytes, (Bytes{0, 0, 0, 0}));
}

TEST_F(OpenTest, TraceShowsWhatOpenFound) {
    addPrinter(sim::Profile::korvelinFO(0x0310));
    device->setAnswer(u"TimeInterval", {20, 0, 0, 0});
    device->setAnswer(u"OXAPrintTimeOut", {7});
    open();
    const std::vector<std::string> expected = {
        "[TRACE:5001]Call:1",
        "[TRACE:5005]Printer name:Statement Printer",
        "[TRACE:5005]Drv ver:100",
        "[TRACE:5005]Status interval:20 ms",
        "[TRACE:5005]Print Time out:7 min",
        "[TRACE:5005]FWVersion = 0310",
        "[TRACE:5005]Printer model : Korvelin FO",
        "[TRACE:5002]Ret:1",
    };
    std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), expected.size());
    lines.resize(expected.size());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(session().statusInterval, 20u);
    EXPECT_EQ(session().oxaPrintTimeOut, 7);
    EXPECT_EQ(session().driverVersion, 0x100);
}

TEST_F(OpenTest, UnreadableSettingsFallBackToDefaults) {
    addPrinter(sim::Profile::korvelin(0x0200));
    device->removeValue(u"TimeInterval");
    device->removeValue(u"OXAPrintTimeOut");
    device->removeValue(u"TotalFeedingValue");
    open();
    EXPECT_EQ(session().statusInterval, 50u);
    EXPECT_EQ(session().oxaPrintTimeOut, 3);
    EXPECT_EQ(session().totalFeedingValue, 0u);
    const std::vector<std::string> lines = traceLines();
    EXPECT_TRUE(hasLine(lines, "[TRACE:5005]Status interval:50 ms"));
    EXPECT_TRUE(hasLine(lines, "[TRACE:5005]Print Time out:3 min"));
}

TEST_F(OpenTest, ThresholdIsTenTimesTheDriversAnswer) {
    addPrinter(sim::Profile::korvelin(0x0200));
    device->setAnswer(u"GetThresholdForLastPage", {70, 0, 0, 0});
    device->setAnswer(u"TotalFeedingValue", {0x34, 0x12, 0, 0});
    open();
    EXPECT_EQ(session().lastPageThreshold, 700u);
    EXPECT_EQ(session().totalFeedingValue, 0x1234u);
}

TEST_F(OpenTest, LastPageReachedWhenTheTotalIsAlreadyAtTheThreshold) {
    addPrinter(sim::Profile::korvelin(0x0200));
    device->setAnswer(u"TotalFeedingValue", {0xB4, 0x02, 0, 0});  // 692 >= 690
    device->setStatusBit(0, 0x01, true);
    open();
    Guard lock(session().stateLock);
    EXPECT_NE(session().stateFlags & state::FeedCounting, 0u);
    EXPECT_NE(session().stateFlags & state::LastPageReached, 0u);
}

struct FeedingCase {
    sim::Profile profile;
    bool readsFeeding;
};

class FeedingProbeTest : public OpenTest, public ::testing::WithParamInterface<FeedingCase> {};

TEST_P(FeedingProbeTest, OlderKorvelinFirmwareKeepsTheBuiltInThreshold) {
    addPrinter(GetParam().profile);
    device->setAnswer(u"GetThresholdForLastPage", {80, 0, 0, 0});
    device->setAnswer(u"TotalFeedingValue", {10, 0, 0, 0});
    open();
    const Names names = exchangeNames();
    EXPECT_EQ(contains(names, u"GetThresholdForLastPage"), GetParam().readsFeeding);
    EXPECT_EQ(contains(names, u"TotalFeedingValue"), GetParam().readsFeeding);
    EXPECT_EQ(session().lastPageThreshold, GetParam().readsFeeding ? 800u : 690u);
    EXPECT_EQ(session().totalFeedingValue, GetParam().readsFeeding ? 10u : 0u);

    spooler->clearLog();
    close();
    const Names atClose = exchangeNames();
    EXPECT_EQ(contains(atClose, u"TotalFeedingValue"), GetParam().readsFeeding);
}

INSTANTIATE_TEST_SUITE_P(Firmware, FeedingProbeTest,
                         ::testing::Values(FeedingCase{sim::Profile::korvelin(265), false},
                                           FeedingCase{sim::Profile::korvelin(266), true},
                                           FeedingCase{sim::Profile::korvelinFO(100), true},
                                           FeedingCase{sim::Profile::oxaSt(100), true}));

struct DivisionCase {
    uint8_t configuration;
    sim::Profile profile;
    bool on;
};

class DivisionPrintingTest : public OpenTest, public ::testing::WithParamInterface<DivisionCase> {};

TEST_P(DivisionPrintingTest, SwitchFollowsConfigurationFirmwareAndModel) {
    addPrinter(GetParam().profile);
    device->setAnswer(u"GetConfiguration", {GetParam().configuration, 0, 0, 0, 0, 0, 0, 0});
    open();
    EXPECT_EQ(device->input(u"DivisionPrinting"), (Bytes{static_cast<uint8_t>(GetParam().on ? 1 : 0), 0, 0, 0}));
    const std::vector<sim::Exchange> set = exchangesOf(u"DivisionPrinting");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].type, 3u);
    const Names names = exchangeNames();
    EXPECT_EQ(contains(names, u"DivisionPrintingON"), GetParam().on);
    EXPECT_EQ(contains(names, u"DivisionPrintingOFF"), !GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(Matrix, DivisionPrintingTest,
                         ::testing::Values(DivisionCase{0x10, sim::Profile::korvelin(780), false},
                                           DivisionCase{0x10, sim::Profile::korvelin(781), true},
                                           DivisionCase{0x10, sim::Profile::korvelin(787), true},
                                           DivisionCase{0x10, sim::Profile::korvelin(788), false},
                                           DivisionCase{0x10, sim::Profile::korvelin(1023), false},
                                           DivisionCase{0x10, sim::Profile::korvelin(1024), true},
                                           DivisionCase{0x10, sim::Profile::korvelinFO(300), true},
                                           DivisionCase{0x10, sim::Profile::oxaSt(300), true},
                                           DivisionCase{0x00, sim::Profile::oxaSt(1024), false},
                                           DivisionCase{0xEF, sim::Profile::korvelin(1024), false}));

struct ShortPathCase {
    uint8_t openByte2;
    std::optional<Bytes> modelAnswer;  // nullopt: the read fails
    uint8_t model;
    const char* line;
};

class ShortPathTest : public OpenTest, public ::testing::WithParamInterface<ShortPathCase> {};

TEST_P(ShortPathTest, ModelComesFromGetPrinterModel) {
    addPrinter(sim::Profile::korvelinFO(0x0310));
    device->setAnswer(u"Open", {0, 0, GetParam().openByte2, 0, 0});
    if (GetParam().modelAnswer) {
        device->setAnswer(u"GetPrinterModel", *GetParam().modelAnswer);
    } else {
        device->removeValue(u"GetPrinterModel");
    }
    open();
    EXPECT_EQ(exchangeNames(), (Names{u"PrinterDataSize", u"PrinterData", u"ReturnValue", u"Open", u"TimeInterval",
                                      u"OXAPrintTimeOut", u"GetPrinterModel", u"ConsecutivePrintEnable"}));
    EXPECT_EQ(session().printerModel, GetParam().model);
    EXPECT_EQ(session().firmwareVersion, 0);
    EXPECT_EQ(session().lastPageThreshold, 690u);
    EXPECT_EQ(session().totalFeedingValue, 0u);
    EXPECT_TRUE(hasLine(traceLines(), GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ShortPathTest,
    ::testing::Values(ShortPathCase{0x40, Bytes{0, 0}, 1, "[TRACE:5005]Printer model : Korvelin FO"},
                      ShortPathCase{0x04, Bytes{1, 0}, 2, "[TRACE:5005]Printer model : OXA ST"},
                      ShortPathCase{0x44, Bytes{0, 1}, 2, "[TRACE:5005]Printer model : OXA ST"},
                      ShortPathCase{0x40, std::nullopt, 0, "[TRACE:5005]Printer model : Korvelin"},
                      ShortPathCase{0x40, Bytes{1}, 0, "[TRACE:5005]Printer model : Korvelin"}));

TEST_F(OpenTest, RefusesMissingArgumentsAndUnknownPrinters) {
    addPrinter();
    RvStatementHandle out = nullptr;
    EXPECT_EQ(RvStatementOpen(rvText(kPrinterName), nullptr), 9u);
    EXPECT_EQ(RvStatementOpen(nullptr, &out), 9u);
    EXPECT_EQ(RvStatementOpen(rvText(u"No Such Printer"), &out), 9u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(spooler->openHandles(), 0);
    EXPECT_TRUE(spooler->exchanges().empty());
}

}  // namespace
}  // namespace rvs::test
