// A monitor cycle that throws loses that cycle, never the host process or the next cycle.
#include <gtest/gtest.h>

#include <atomic>
#include <new>

#include "platform/platform.h"
#include "sim/forwarding_spooler.h"
#include "support/scoped_spooler.h"
#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

// The virtual printer, but the monitor thread's next gets of one value throw out of memory.
class ThrowingSpooler : public sim::ForwardingSpooler {
public:
    ThrowingSpooler(platform::Spooler* target, std::u16string value) : ForwardingSpooler(target), value_(value) {}
    std::atomic<uint32_t> monitorThread{0};
    std::atomic<int> throwsLeft{0};

    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        if (name == value_ && platform::system().currentThreadId() == monitorThread && throwsLeft.fetch_sub(1) > 0) {
            throw std::bad_alloc();
        }
        return ForwardingSpooler::getPrinterData(handle, name, type, data, size, needed);
    }

private:
    const std::u16string value_;
};

template <const char16_t* Value>
class ThrowingFixture : public MonitorFixture {
protected:
    void TearDown() override {
        if (handle != nullptr) close();
    }
    ThrowingSpooler throwing{&spooler.get(), Value};
    ScopedSpooler installed{&throwing};
};

constexpr char16_t kStatusGet[] = u"StatusGet";
constexpr char16_t kPaperRemoved[] = u"PaperRemoved";
using MonitorRobustnessTest = ThrowingFixture<kStatusGet>;
using WatcherRobustnessTest = ThrowingFixture<kPaperRemoved>;

TEST_F(MonitorRobustnessTest, ACycleThatThrowsIsFollowedByNormalCycles) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    throwing.monitorThread = session().monitorThreadId.load();
    throwing.throwsLeft = 3;
    ASSERT_TRUE(eventually([&] { return throwing.throwsLeft.load() <= 0; }));

    awaitCycles();
    device->setStatusBit(0, 0x01, true);  // paper fed: the next normal cycle reports it
    ASSERT_TRUE(eventually([&] { return cachedStatus()[0] & 0x01; }));
    ASSERT_TRUE(eventually([&] { return recorder.count() > 0; }));
    EXPECT_NE(recorder.records().back()[0] & 0x01, 0);
}

// A watcher that throws has still returned: a command's handshake must not wait for it.
TEST_F(WatcherRobustnessTest, AWatcherThatThrowsLeavesNoWatcherForCommandsToWaitFor) {
    openPrinter();
    device->setStatusBit(0, 0x40, true);  // paper at the exit
    awaitCycles();
    throwing.monitorThread = session().monitorThreadId.load();
    throwing.throwsLeft = 1;
    {
        auto parked = park();
        setEventFlags(event::PendingPresent);
        setStateFlags(state::WatchPaperRemoval);
        device->setStatusBit(0, 0x40, false);  // taken from the exit: the watcher starts
    }
    ASSERT_TRUE(eventually([&] { return throwing.throwsLeft.load() <= 0; }));
    awaitCycles();

    EXPECT_EQ(stateFlags() & (state::WatcherRunning | state::WatcherDone), state::WatcherDone);
    clock->setSpeed(100);
    const uint32_t start = clock->tickCount();
    EXPECT_EQ(runExport(Frame{.function = 200, .steps = {.handshake = true}}, handle, noEntry,
                        [](Call&) { return kSuccess; }),
              kSuccess);
    EXPECT_LT(clock->tickCount() - start, 5000u) << "the handshake waited for a watcher that is gone";
}

}  // namespace
}  // namespace rvs::test
