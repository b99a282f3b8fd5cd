// A monitored session for the device-data and settings exports: the calling thread's exchanges
// with their data, the trace lines of one call, and a clock that can run fast for one call.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "sim/forwarding_spooler.h"
#include "status/status_fixture.h"
#include "support/scoped_spooler.h"

namespace rvs::test {

// Passes every call on to the virtual printer. For each exchange the test's thread makes it
// notes whether the monitor was parked meanwhile, and after that thread's get of `actAfter` it
// runs `action` (say, the printer reporting an error once it has carried out a write).
class ObservingSpooler : public sim::ForwardingSpooler {
public:
    ObservingSpooler(platform::Spooler* target, Session& session)
        : ForwardingSpooler(target), session_(session), testThread_(platform::system().currentThreadId()) {}

    std::u16string actAfter;
    std::function<void()> action;

    // Names of the test thread's exchanges (without trace flag reads) with the monitor parked or not.
    std::vector<std::pair<std::u16string, bool>> parked() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return parked_;
    }

    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        note(name);
        const uint32_t result = target()->getPrinterData(handle, name, type, data, size, needed);
        if (action && name == actAfter && platform::system().currentThreadId() == testThread_) action();
        return result;
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t type, const uint8_t* data,
                            uint32_t size) override {
        note(name);
        return target()->setPrinterData(handle, name, type, data, size);
    }

private:
    void note(const char16_t* name) {
        const std::u16string value(name);
        // "ReturnValue" after a short status answer is read under stateLock.
        if (platform::system().currentThreadId() != testThread_ || value == u"LogSettingCondition" ||
            value == u"ReturnValue") {
            return;
        }
        bool monitorParked = false;
        {
            Guard lock(session_.stateLock);
            monitorParked = session_.pauseRequests != 0;
        }
        std::lock_guard<std::mutex> hold(mutex_);
        parked_.emplace_back(value, monitorParked);
    }

    Session& session_;
    const uint32_t testThread_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::u16string, bool>> parked_;
};

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using Names = std::vector<std::u16string>;

class DeviceFixture : public StatusFixture {
protected:
    // Opens a printer of `profile` and clears the log, so it holds only what the test does.
    void openFresh(sim::Profile profile = sim::Profile::korvelin()) {
        openPrinter(profile);
        spooler->clearLog();
    }

    // This thread's exchanges since the log was last cleared, without the trace flag reads.
    std::vector<sim::Exchange> callerLog() {
        const uint32_t self = platform::system().currentThreadId();
        std::vector<sim::Exchange> mine;
        for (const sim::Exchange& e : spooler->exchangesWithout({u"LogSettingCondition"})) {
            if (e.threadId == self) mine.push_back(e);
        }
        return mine;
    }

    // The trace lines of the last call of function `fn`, from its Call line on, without the
    // monitor's status change lines that may fall between them.
    Lines lines(int fn) {
        Lines own;
        for (const std::string& line : callTrace(fn)) {
            if (line.rfind("[TRACE:5003]", 0) != 0 && line.rfind("[STS:", 0) != 0) own.push_back(line);
        }
        return own;
    }

    static std::string inputLine(const std::string& text) { return "[INF:4001]" + text; }
    static std::string outputLine(const std::string& text) { return "[INF:4002]" + text; }

    // A call that sleeps for seconds of virtual time (the purge settle) runs on a fast clock.
    template <class Call>
    auto onFastClock(Call call) {
        clock->setSpeed(200);
        auto result = call();
        clock->setSpeed(1);
        return result;
    }

    // The monitor completes whole cycles again after the call.
    void expectMonitorPolling() { awaitCycles(2); }

    // Puts an ObservingSpooler between the library and the virtual printer until the test ends.
    ObservingSpooler& observe() {
        stopObserving();
        observer_ = std::make_unique<ObservingSpooler>(&spooler.get(), session());
        installed_ = std::make_unique<ScopedSpooler>(observer_.get());
        return *observer_;
    }
    // Puts the virtual printer back with the monitor parked, so none of its polls is still
    // inside the observer when it goes.
    void stopObserving() {
        std::unique_lock<Lock> parked;
        if (handle != nullptr) parked = park();
        installed_.reset();
        observer_.reset();
    }
    void TearDown() override { stopObserving(); }

    // The OXA ST driver reports its device held (OXA status byte 8 bit 0x04), so a release
    // after the command asks the driver; the cache follows at once rather than at the next poll.
    // Keep the monitor parked meanwhile, or a poll it read before would put the old byte back.
    void reportOxaDeviceHeld() {
        device->setOxaStatusBit(8, 0x04, true);
        locked([](Session& s) { s.oxaStatus[8] |= 0x04; });
    }

private:
    std::unique_ptr<ObservingSpooler> observer_;
    std::unique_ptr<ScopedSpooler> installed_;
};

// What the test expects of one exchange: its name, direction, type (sets) and data, whose size
// is also the size written or the size of the answer buffer.
struct Expected {
    std::u16string name;
    sim::Direction direction;
    uint32_t type;  // sets only
    Bytes bytes;    // set: data written; get: the answer delivered
};

inline Expected got(std::u16string name, Bytes answer) {
    return {std::move(name), sim::Direction::Get, 0, std::move(answer)};
}
inline Expected wroteBinary(std::u16string name, Bytes data) {
    return {std::move(name), sim::Direction::Set, platform::kRegBinary, std::move(data)};
}
inline Expected wroteDword(std::u16string name, Bytes data) {
    return {std::move(name), sim::Direction::Set, platform::kRegDword, std::move(data)};
}

inline void expectExchanges(const std::vector<sim::Exchange>& log, const std::vector<Expected>& expected) {
    ASSERT_EQ(log.size(), expected.size()) << ::testing::PrintToString(log);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].name, expected[i].name) << i;
        EXPECT_EQ(log[i].direction, expected[i].direction) << i;
        EXPECT_EQ(log[i].error, 0u) << i;
        if (log[i].direction == sim::Direction::Set) {
            EXPECT_EQ(log[i].type, expected[i].type) << i;
        }
        EXPECT_EQ(log[i].size, expected[i].bytes.size()) << i;  // data written, or the answer buffer
        EXPECT_EQ(log[i].bytes, expected[i].bytes) << i;
    }
}

}  // namespace rvs::test
