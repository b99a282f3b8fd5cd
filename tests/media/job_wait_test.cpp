// The waits of a print job: for its start after "StartPrinting" and for its end, each bounded
// on the fast clock, and what a failure after the hand-off leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;
using Names = std::vector<std::u16string>;

const uint8_t kData[] = {'p', 'r', 'i', 'n', 't'};

class JobWaitTest : public MediaFixture {
protected:
    void SetUp() override {
        openPrinter();
        spooler->clearLog();
    }
    uint32_t print() { return RvStatementTxRx(handle, sizeof kData, kData, nullptr, nullptr, 0); }
    size_t endPrintings() { return callerExchangesOf(u"EndPrinting").size(); }
    // Sets the printer status word `afterMs` from now.
    void wordAfter(uint32_t afterMs, uint8_t byte0, uint8_t byte1) {
        device->schedule(afterMs, [=](sim::Device& d) {
            d.update([&](sim::DriverState& s) { s.paper.statusWord = {byte0, byte1}; });
        });
    }
};

struct JobLimit {
    const char* name;
    uint8_t busyByte;        // status word byte 0 while the job hangs
    uint32_t switchAfterMs;  // when the busy bit changes; 0: never
    uint8_t statusByte0;     // cached status byte 0 raised once the data is in
    uint32_t expected;
    uint32_t atLeastMs;
    uint32_t lessThanMs;
};
void PrintTo(const JobLimit& c, std::ostream* out) { *out << c.name; }

class JobLimitTest : public JobWaitTest, public ::testing::WithParamInterface<JobLimit> {};

TEST_P(JobLimitTest, EndsWithThePrintWarningAndTheVerdict) {
    const JobLimit& c = GetParam();
    behave([](sim::MediaBehaviour& b) { b.jobEnds = false; });
    afterDataReceived([&c](sim::DriverState& d) {
        d.paper.statusWord = {c.busyByte, 0x01};
        d.status[0] |= c.statusByte0;
    });
    if (c.switchAfterMs != 0) {
        wordAfter(c.switchAfterMs, static_cast<uint8_t>(c.busyByte ^ 0x20), 0x01);
    }
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = print(); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, c.expected);
    EXPECT_GE(took, c.atLeastMs);
    EXPECT_LT(took, c.lessThanMs);
    EXPECT_THAT(lines(6), ElementsAreArray({std::string("[TRACE:5001]Call:6"), std::string("[WAR:3003]Print"),
                                            "[WAR:3001]Func:6 return 0x" + std::string(c.expected == 4 ? "04" : "0C"),
                                            std::string("[TRACE:5002]Ret:6")}));
}

// Staying in one phase keeps its clock; a change of the busy bit restarts it.
INSTANTIATE_TEST_SUITE_P(
    Phases, JobLimitTest,
    ::testing::Values(JobLimit{"Busy30s", 0x20, 0, 0x00, 12, 30000, 55000},
                      JobLimit{"NotBusy60s", 0x00, 0, 0x00, 12, 60000, 75000},
                      JobLimit{"BusyThenNotBusyRestarts", 0x20, 20000, 0x00, 12, 80000, 100000},
                      JobLimit{"NotBusyThenBusyRestarts", 0x00, 40000, 0x00, 12, 70000, 90000},
                      JobLimit{"PrinterErrorGives4", 0x20, 0, 0x08, 4, 30000, 55000},
                      JobLimit{"PaperErrorGives12", 0x20, 0, 0x18, 12, 30000, 55000}),
    [](const auto& info) { return std::string(info.param.name); });

// Limits are tick differences: the busy phase keeps its 30 s across the wrap of the 32-bit clock.
TEST_F(JobWaitTest, TheJobWaitAcrossTheClockWrapKeepsItsLimit) {
    behave([](sim::MediaBehaviour& b) { b.jobEnds = false; });
    afterDataReceived([](sim::DriverState& d) { d.paper.statusWord = {0x20, 0x01}; });
    clock->setTickCount(0xFFFFFFFFu - 5000);
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = print(); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, 12u);
    EXPECT_GE(took, 30000u);
    EXPECT_LT(took, 55000u);
}

TEST_F(JobWaitTest, APrinterThatNeverStartsTheJobEndsTheWaitAndTheJob) {
    behave([](sim::MediaBehaviour& b) { b.jobStarts = false; });
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = print(); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, 12u);
    EXPECT_GE(took, 30000u);
    EXPECT_LT(took, 55000u);
    EXPECT_EQ(callerRequests(),
              (Names{u"StatusGet", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", u"StartPrinting", u"EndPrinting"}));
    EXPECT_FALSE(platform::system().fileExists(files.created().at(0)));
    EXPECT_EQ(stateFlags() & (state::Byte0Bit5Rose | state::Byte0Bit5Fell), 0u);
}

TEST_F(JobWaitTest, AStoppedMonitorEndsTheWaitForTheJobsStart) {
    behave([](sim::MediaBehaviour& b) { b.jobStarts = false; });
    setStateFlags(state::StopMonitor);  // the monitor ends: it would never see the job start
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = print(); });
    EXPECT_EQ(result, 12u);
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(endPrintings(), 1u);
}

struct BracketFailure {
    const char* name;
    const char16_t* failing;
    sim::Fault fault;
    uint32_t expected;
    size_t endPrintings;  // sent in all
};
void PrintTo(const BracketFailure& c, std::ostream* out) { *out << c.name; }

class BracketFailureTest : public JobWaitTest, public ::testing::WithParamInterface<BracketFailure> {};

// A job "StartPrinting" opened is closed by "EndPrinting" on the way out, whatever failed.
TEST_P(BracketFailureTest, ClosesAnOpenJob) {
    device->injectFault(GetParam().failing, GetParam().fault);
    EXPECT_EQ(print(), GetParam().expected);
    EXPECT_EQ(endPrintings(), GetParam().endPrintings);
    EXPECT_FALSE(platform::system().fileExists(files.created().at(0)));
    EXPECT_EQ(files.deletes(files.created().at(0)), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BracketFailureTest,
    ::testing::Values(BracketFailure{"StartRefused", u"StartPrinting", sim::Fault::answer({1}), 16, 0},
                      BracketFailure{"SendFails", u"TxRx_No_Response", sim::Fault::callFails(), 9, 1},
                      BracketFailure{"SendRefused", u"TxRx_No_Response", sim::Fault::answer({1}), 16, 1},
                      BracketFailure{"EndShort", u"EndPrinting", sim::Fault::wrongSize(0, 0x52), 0x52, 2},
                      BracketFailure{"EndRefused", u"EndPrinting", sim::Fault::answer({1}), 16, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// Once deleted, the transfer file's name may belong to another job: a later failure leaves it.
TEST_F(JobWaitTest, AFailureAfterTheFileWasDeletedDoesNotDeleteItsNameAgain) {
    device->injectFault(u"GetPrinterStatus", sim::Fault::callFails());
    EXPECT_EQ(print(), 9u);
    const std::u16string path = files.created().at(0);
    EXPECT_EQ(files.deletes(path), 1);
    EXPECT_EQ(callerRequests().back(), u"GetPrinterStatus");
}

TEST_F(JobWaitTest, AFailedStatusWordReadEndsTheWaitWithItsCode) {
    behave([](sim::MediaBehaviour& b) { b.jobEnds = false; });
    device->schedule(2000, [](sim::Device& d) { d.injectFault(u"GetPrinterStatus", sim::Fault::wrongSize(1, 0x44)); });
    EXPECT_EQ(print(), 0x44u);
}

}  // namespace
}  // namespace rvs::test
