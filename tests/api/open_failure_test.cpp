// A failure at any step of open leaves nothing behind: no session, no thread, no open printer.
#include <gtest/gtest.h>

#include <atomic>

#include "api/call_frame.h"
#include "platform/platform.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;

struct ProbeFailure {
    const char16_t* name;
    sim::Fault fault;
    uint32_t expected;
};

class OpenFailureTest : public SessionFixture, public ::testing::WithParamInterface<ProbeFailure> {
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

// Fails the n-th printer-data call or driver version read (monitor polls not counted) and passes
// the rest through.
class FailNthCall : public platform::Spooler {
public:
    FailNthCall(platform::Spooler& target, size_t failAt) : target_(target), failAt_(failAt) {}

    bool openPrinter(const char16_t* name, platform::PrinterHandle* handle) override {
        return target_.openPrinter(name, handle);
    }
    void closePrinter(platform::PrinterHandle handle) override { target_.closePrinter(handle); }
    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        if (fails(name)) {
            *needed = 0;
            return 31;
        }
        return target_.getPrinterData(handle, name, type, data, size, needed);
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t type, const uint8_t* data,
                            uint32_t size) override {
        return fails(name) ? 31 : target_.setPrinterData(handle, name, type, data, size);
    }
    bool readDriverVersion(platform::PrinterHandle handle, const char16_t* name, uint16_t* version) override {
        if (fails(u"DocumentPropertiesW")) {
            driverVersionRefused = true;
            return false;
        }
        return target_.readDriverVersion(handle, name, version);
    }
    bool driverVersionRefused = false;
    size_t calls() const { return calls_; }

private:
    bool fails(const char16_t* name) {
        if (std::u16string(name) == u"StatusGet") {
            return false;
        }
        return calls_++ == failAt_;
    }

    platform::Spooler& target_;
    size_t failAt_;
    std::atomic<size_t> calls_{0};
};

TEST(OpenFailureWalk, FailingEachCallInTurnEitherOpensOrLeavesNothing) {
    ScopedTestSystem clock;
    sim::ScopedVirtualPrinter spooler;
    bool refusedDriverVersion = false;
    for (size_t failAt = 0;; ++failAt) {
        ASSERT_LT(failAt, 200u) << "open never got through";
        sim::Device& device = spooler->addPrinter(kPrinterName, sim::Profile::korvelin(0x0200));
        device.setTraceSettings(0x3F, 5, u"/nonexistent-rvs-trace/");
        FailNthCall failing(spooler.get(), failAt);
        platform::setSpooler(&failing);
        RvStatementHandle handle = nullptr;
        const uint32_t result = RvStatementOpen(rvText(kPrinterName), &handle);
        if (failing.driverVersionRefused) {
            EXPECT_EQ(result, 16u);
            refusedDriverVersion = true;
        }
        // A close that meets the failure keeps the session open; the second close gets through.
        const bool closed = result != 0 || RvStatementClose(handle) == 0;
        platform::setSpooler(&spooler.get());
        if (!closed) {
            EXPECT_EQ(RvStatementClose(handle), 0u) << "call " << failAt;
        }
        ASSERT_EQ(spooler->openHandles(), 0) << "call " << failAt;
        ASSERT_EQ(liveSessionCount(), 0u) << "call " << failAt;
        if (result == 0 && failing.calls() <= failAt) {
            break;  // the failure point lies beyond the whole open and close
        }
    }
    EXPECT_TRUE(refusedDriverVersion);
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
