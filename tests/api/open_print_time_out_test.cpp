// The OXA print time-out open reads from the driver: only a whole one-byte answer is taken.
#include <gtest/gtest.h>

#include <ostream>

#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

struct TimeOutAnswer {
    const char* name;
    sim::Fault fault;
};
void PrintTo(const TimeOutAnswer& c, std::ostream* out) { *out << c.name; }

class OpenPrintTimeOutTest : public MonitorFixture, public ::testing::WithParamInterface<TimeOutAnswer> {};

// An empty answer taken as 0 minutes would purge the printer at every monitor cycle once it
// starts printing.
TEST_P(OpenPrintTimeOutTest, AnAnswerThatIsNotOneByteKeepsTheDefault) {
    addPrinter(sim::Profile::oxaSt());
    device->setAnswer(u"TimeInterval", {kIntervalMs, 0, 0, 0});
    device->injectFault(u"OXAPrintTimeOut", GetParam().fault);
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(session().oxaPrintTimeOut.load(), kDefaultOxaPrintTimeOut);
    const std::vector<std::string> lines = traceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[TRACE:5005]Print Time out:3 min"), lines.end());

    device->setOxaStatusBit(0, 0x20, true);
    device->setStatusBit(0, 0x20, true);
    ASSERT_TRUE(eventually([&] { return locked([](Session& s) { return s.oxaTimerRunning == 1; }); }));
    awaitCycles(4);
    EXPECT_TRUE(exchangesOf(u"PurgeData").empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, OpenPrintTimeOutTest,
                         ::testing::Values(TimeOutAnswer{"EmptyWithoutCode", sim::Fault::wrongSize(0)},
                                           TimeOutAnswer{"EmptyWithCode", sim::Fault::wrongSize(0, 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
