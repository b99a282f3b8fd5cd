// A failure at any step of open leaves nothing behind: no session, no thread, no open printer.
#include <gtest/gtest.h>

#include <atomic>

#include "api/call_frame.h"
#include "platform/platform.h"
#include "sim/forwarding_spooler.h"
#include "support/failure_walk.h"
#include "support/scoped_spooler.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;

struct ProbeFailure {
    const char16_t* name;
    sim::Fault fault;
    uint32_t expected;
};

class OpenFailureFixture : public SessionFixture {
protected:
    void expectNothingLeft(RvStatementHandle untouched) {
        EXPECT_EQ(untouched, reinterpret_cast<RvStatementHandle>(this));
        EXPECT_EQ(spooler->openHandles(), 0);
        EXPECT_EQ(liveSessionCount(), 0u);
        // No monitor is left polling.
        const size_t polls = exchangesOf(u"StatusGet").size();
        clock->sleep(80);  // longer than a monitor interval
        EXPECT_EQ(exchangesOf(u"StatusGet").size(), polls);
    }
};

class OpenFailureTest : public OpenFailureFixture, public ::testing::WithParamInterface<ProbeFailure> {};

TEST_P(OpenFailureTest, TearsEverythingDown) {
    addPrinter(sim::Profile::korvelin(0x0200));
    device->injectFault(GetParam().name, GetParam().fault, -1);
    RvStatementHandle out = reinterpret_cast<RvStatementHandle>(this);
    EXPECT_EQ(RvStatementOpen(rvText(kPrinterName), &out), GetParam().expected);
    expectNothingLeft(out);
}

TEST_P(OpenFailureTest, WritesOnlyTheErrorReturnLine) {
    addPrinter(sim::Profile::korvelin(0x0200));
    device->injectFault(GetParam().name, GetParam().fault, -1);
    RvStatementHandle out = reinterpret_cast<RvStatementHandle>(this);
    RvStatementOpen(rvText(kPrinterName), &out);
    const std::vector<std::string> lines = traceLines();
    if (GetParam().expected == 16 && std::u16string(GetParam().name).rfind(u"PrinterData", 0) == 0) {
        EXPECT_TRUE(lines.empty());  // the trace settings could not be loaded
        return;
    }
    ASSERT_FALSE(lines.empty());
    char expected[64];
    std::snprintf(expected, sizeof expected, "[WAR:3001]Func:1 return 0x%02X", GetParam().expected);
    EXPECT_EQ(lines.back(), expected);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[TRACE:5002]Ret:1"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachProbe, OpenFailureTest,
    ::testing::Values(ProbeFailure{u"PrinterDataSize", sim::Fault::callFails(), 16},
                      ProbeFailure{u"PrinterData", sim::Fault::callFails(), 16},
                      ProbeFailure{u"Open", sim::Fault::callFails(), 9},
                      ProbeFailure{u"Open", sim::Fault::wrongSize(4, 0x33), 0x33},
                      ProbeFailure{u"Open", sim::Fault::wrongSize(4, 0), 16},
                      ProbeFailure{u"GetPrinterVersion", sim::Fault::callFails(), 9},
                      ProbeFailure{u"GetPrinterVersion", sim::Fault::wrongSize(2, 0x21), 0x21},
                      ProbeFailure{u"GetThresholdForLastPage", sim::Fault::callFails(), 9},
                      ProbeFailure{u"GetThresholdForLastPage", sim::Fault::wrongSize(2, 0x22), 0x22},
                      ProbeFailure{u"CheckMultiplePagePrinting", sim::Fault::callFails(), 9},
                      ProbeFailure{u"CheckMultiplePagePrinting", sim::Fault::wrongSize(2, 0x23), 0x23},
                      ProbeFailure{u"GetConfiguration", sim::Fault::callFails(), 9},
                      ProbeFailure{u"GetConfiguration", sim::Fault::wrongSize(7, 0x24), 0x24},
                      ProbeFailure{u"DivisionPrinting", sim::Fault::callFails(), 9},
                      ProbeFailure{u"DivisionPrintingOFF", sim::Fault::callFails(), 9},
                      ProbeFailure{u"ConsecutivePrintEnable", sim::Fault::callFails(), 9},
                      ProbeFailure{u"ConsecutivePrintEnable", sim::Fault::wrongSize(2, 0x25), 0x25},
                      ProbeFailure{u"ConsecutivePrintEnable", sim::Fault::answer({1}), 16}));

TEST(OpenFailureWalk, FailingEachExchangeInTurnEitherOpensOrLeavesNothing) {
    ScopedTestSystem clock;
    clock->setSpeed(20);  // monitor intervals pass quickly; nothing here waits for a limit
    sim::ScopedVirtualPrinter spooler;
    int untouched = 0;
    const auto sentinel = reinterpret_cast<RvStatementHandle>(&untouched);
    RvStatementHandle handle = nullptr;
    uint32_t result = 0;
    bool closed = false;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& {
            sim::Device& device = spooler->addPrinter(kPrinterName, sim::Profile::korvelin(0x0200));
            device.setTraceSettings(0x3F, 5, u"/nonexistent-rvs-trace/");
            return device;
        },
        .act = [&] {
            handle = sentinel;
            result = RvStatementOpen(rvText(kPrinterName), &handle);
            // A close that meets the failure keeps the session open; the second close gets through.
            closed = result != 0 || RvStatementClose(handle) == 0;
        },
        .check = [&](const FailurePoint& point) {
            if (result != 0) {
                EXPECT_EQ(handle, sentinel);
                // Passed on as the channel reports it, or open's own failure.
                EXPECT_TRUE(result == point.usualResult() || result == 16u) << "result " << result;
            }
            if (!closed) {
                EXPECT_EQ(RvStatementClose(handle), 0u);
            }
            ASSERT_EQ(spooler->openHandles(), 0);
            ASSERT_EQ(liveSessionCount(), 0u);
        },
    });
    // The walk covered open from its first request to close's last.
    ASSERT_FALSE(walked.empty());
    EXPECT_EQ(walked.front().name, u"PrinterDataSize");
    EXPECT_EQ(walked.back().name, u"Close");
}

// The driver version comes from the default device mode, not from a printer-data value: a
// device mode whose size cannot be had fails the open.
class NoDeviceModeSize : public sim::ForwardingSpooler {
public:
    using ForwardingSpooler::ForwardingSpooler;
    int32_t deviceModeSize(platform::PrinterHandle, const char16_t*) override { return -1; }
};

TEST_F(OpenFailureFixture, NoDeviceModeSizeFailsWith16AndLeavesNothing) {
    addPrinter(sim::Profile::korvelin(0x0200));
    NoDeviceModeSize refusing(&spooler.get());
    RvStatementHandle out = reinterpret_cast<RvStatementHandle>(this);
    uint32_t result = 0;
    {
        ScopedSpooler installed(&refusing);
        result = RvStatementOpen(rvText(kPrinterName), &out);
    }
    EXPECT_EQ(result, 16u);
    expectNothingLeft(out);
    ASSERT_FALSE(traceLines().empty());
    EXPECT_EQ(traceLines().back(), "[WAR:3001]Func:1 return 0x10");
}

// Thread start and priority failures, through a system that refuses them.
class RefusingThreads : public platform::SystemWrapper {
public:
    enum class Refuse { Start, Priority };
    RefusingThreads(platform::System* target, Refuse refuse) : SystemWrapper(target), refuse_(refuse) {}

    std::unique_ptr<platform::Thread> startThread(std::function<void()> body) override {
        if (refuse_ == Refuse::Start) {
            return nullptr;
        }
        std::unique_ptr<platform::Thread> real = target()->startThread(std::move(body));
        return std::make_unique<RefusingPriority>(std::move(real), joined);
    }

    std::atomic<int> joined{0};

private:
    class RefusingPriority : public platform::Thread {
    public:
        RefusingPriority(std::unique_ptr<platform::Thread> real, std::atomic<int>& joined)
            : real_(std::move(real)), joined_(joined) {}
        void join() override {
            real_->join();
            ++joined_;
        }
        uint32_t id() const override { return real_->id(); }
        bool raiseToTimeCritical() override { return false; }

    private:
        std::unique_ptr<platform::Thread> real_;
        std::atomic<int>& joined_;
    };

    Refuse refuse_;
};

class ThreadFailureTest : public SessionFixture, public ::testing::WithParamInterface<RefusingThreads::Refuse> {};

TEST_P(ThreadFailureTest, OpenFailsWith16AndJoinsWhatItStarted) {
    addPrinter();
    RefusingThreads threads(&clock.system(), GetParam());
    platform::setSystem(&threads);
    RvStatementHandle out = nullptr;
    const uint32_t result = RvStatementOpen(rvText(kPrinterName), &out);
    platform::setSystem(&clock.system());
    EXPECT_EQ(result, 16u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(spooler->openHandles(), 0);
    EXPECT_EQ(liveSessionCount(), 0u);
    EXPECT_EQ(threads.joined.load(), GetParam() == RefusingThreads::Refuse::Priority ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Refusals, ThreadFailureTest,
                         ::testing::Values(RefusingThreads::Refuse::Start, RefusingThreads::Refuse::Priority));

}  // namespace
}  // namespace rvs::test
