#include <gtest/gtest.h>

#include "api/call_frame.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;

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
    EXPECT_EQ(reset[0].bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(OpenTest, TraceShowsWhatOpenFound) {
    addPrinter(sim::Profile::korvelin(0x0110));
    open();
    const std::vector<std::string> lines = traceLines();
    const std::vector<std::string> expected = {
        "[TRACE:5001]Call:1",
        "[TRACE:5005]Printer name:Statement Printer",
        "[TRACE:5005]Drv ver:" ,
    };
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], expected[0]);
    EXPECT_EQ(lines[1], expected[1]);
}

}  // namespace
}  // namespace rvs::test
