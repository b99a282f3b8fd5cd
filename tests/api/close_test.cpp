#include <gtest/gtest.h>

#include "api/call_frame.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;
using Bytes = std::vector<uint8_t>;

class CloseTest : public SessionFixture {};

TEST_F(CloseTest, HandsTheFeedingTotalBackAndSaysClose) {
    addPrinter(sim::Profile::korvelin(0x0200));
    open();
    {
        Guard lock(session().stateLock);
        session().totalFeedingValue = 0x01020304;
    }
    spooler->clearLog();
    close();
    EXPECT_EQ(exchangeNames(), (Names{u"TotalFeedingValue", u"GetPrinterStatus", u"Close"}));
    const std::vector<sim::Exchange> total = exchangesOf(u"TotalFeedingValue");
    ASSERT_EQ(total.size(), 1u);
    EXPECT_EQ(total[0].type, 4u);
    EXPECT_EQ(total[0].bytes, (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(device->totalFeedingValue(), 0x01020304u);
    EXPECT_EQ(spooler->openHandles(), 0);
    EXPECT_EQ(liveSessionCount(), 0u);
}

TEST_F(CloseTest, WritesNoTraceLines) {
    addPrinter();
    open();
    const std::string before = traceFile();
    close();
    EXPECT_EQ(traceFile(), before);
}

TEST_F(CloseTest, ABusyPrinterIsPurgedBeforeTheMonitorStops) {
    addPrinter(sim::Profile::korvelin(265));
    clock->setSpeed(100);  // the purge settles for 3 s
    open();
    device->setAnswer(u"GetPrinterStatus", {0x00, 0x01});
    spooler->clearLog();
    close();
    EXPECT_EQ(exchangeNames(), (Names{u"GetPrinterStatus", u"PurgeData", u"Close"}));
}

TEST_F(CloseTest, AnUnreadableStatusWordCountsAsNotBusy) {
    addPrinter(sim::Profile::korvelin(265));
    open();
    device->injectFault(u"GetPrinterStatus", sim::Fault::callFails());
    spooler->clearLog();
    close();
    EXPECT_EQ(exchangeNames(), (Names{u"GetPrinterStatus", u"Close"}));
}

TEST_F(CloseTest, AFailedTotalWriteKeepsTheSessionOpen) {
    addPrinter(sim::Profile::korvelinFO());
    open();
    device->injectFault(u"TotalFeedingValue", sim::Fault::callFails());
    EXPECT_EQ(RvStatementClose(handle), 9u);
    EXPECT_NE(validateHandle(handle), nullptr);
    EXPECT_EQ(spooler->openHandles(), 1);
    // Still polled by its monitor.
    const size_t polls = exchangesOf(u"StatusGet").size();
    EXPECT_TRUE(eventually([&] { return exchangesOf(u"StatusGet").size() > polls; }));
    close();
}

TEST_F(CloseTest, AStaleHandleIsRefusedAfterClose) {
    addPrinter();
    RvStatementHandle stale = open();
    close();
    EXPECT_EQ(RvStatementClose(stale), 8u);
}

TEST_F(CloseTest, EndsAMonitorThatSleepsALongDriverInterval) {
    addPrinter();
    device->setAnswer(u"TimeInterval", {0x40, 0x77, 0x1B, 0x00});  // 1,800,000 ms
    open();
    const auto started = std::chrono::steady_clock::now();
    close();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

}  // namespace
}  // namespace rvs::test
