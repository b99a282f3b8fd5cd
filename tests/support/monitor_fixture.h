// A session whose monitor runs a short interval, with recording host callbacks and helpers to
// park the monitor between cycles and to wait for whole cycles.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "api/call_frame.h"
#include "platform/platform.h"
#include "support/session_fixture.h"

namespace rvs::test {

// Every call of a host callback: the record, the user value and the calling thread. The user
// value registered is the recorder's own address. `action` runs inside the callback, after the
// call is recorded; set it before registering.
template <size_t N>
class CallbackRecorder {
public:
    using Record = std::array<uint8_t, N>;
    struct Call {
        Record record{};
        uint64_t userData = 0;
        uint32_t threadId = 0;
    };

    static int32_t RVSTATEMENT_CALL callback(uint8_t* record, uint64_t userData) {
        auto* self = reinterpret_cast<CallbackRecorder*>(static_cast<uintptr_t>(userData));
        Call call;
        std::copy(record, record + N, call.record.begin());
        call.userData = userData;
        call.threadId = platform::system().currentThreadId();
        {
            std::lock_guard<std::mutex> hold(self->mutex_);
            self->calls_.push_back(call);
        }
        if (self->action) {
            self->action(call.record);
        }
        return 0;
    }

    uint64_t userValue() const { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this)); }
    std::vector<Call> calls() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return calls_;
    }
    std::vector<Record> records() const {
        std::vector<Record> out;
        for (const Call& c : calls()) {
            out.push_back(c.record);
        }
        return out;
    }
    size_t count() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return calls_.size();
    }

    std::function<void(const Record&)> action;

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

using StatusRecorder = CallbackRecorder<kStatusSize>;
using OxaRecorder = CallbackRecorder<kOxaStatusSize>;

class MonitorFixture : public SessionFixture {
protected:
    static constexpr uint32_t kIntervalMs = 10;

    // Opens a printer of `profile` whose driver asks for a 10 ms poll interval.
    void openPrinter(sim::Profile profile = sim::Profile::korvelin()) {
        addPrinter(profile);
        device->setAnswer(u"TimeInterval", {kIntervalMs, 0, 0, 0});
        ASSERT_NE(open(), nullptr);
    }

    void registerStatusCallback(StatusRecorder& recorder) {
        Guard lock(session().stateLock);
        session().statusCallback = &StatusRecorder::callback;
        session().statusUserData = recorder.userValue();
    }
    void registerOxaCallback(OxaRecorder& recorder) {
        Guard lock(session().stateLock);
        session().oxaStatusCallback = &OxaRecorder::callback;
        session().oxaUserData = recorder.userValue();
    }

    // Reads or changes session fields under stateLock.
    template <class Body>
    auto locked(Body body) {
        Session& s = session();
        Guard lock(s.stateLock);
        return body(s);
    }
    uint32_t stateFlags() {
        return locked([](Session& s) { return s.stateFlags; });
    }
    uint32_t eventFlags() {
        return locked([](Session& s) { return s.eventFlags; });
    }
    StatusRecord cachedStatus() {
        return locked([](Session& s) { return s.status; });
    }
    OxaStatusRecord cachedOxaStatus() {
        return locked([](Session& s) { return s.oxaStatus; });
    }
    void setStateFlags(uint32_t set, uint32_t clear = 0) {
        locked([&](Session& s) { s.stateFlags = (s.stateFlags & ~clear) | set; });
    }
    void setEventFlags(uint32_t set, uint32_t clear = 0) {
        locked([&](Session& s) { s.eventFlags = (s.eventFlags & ~clear) | set; });
    }

    // Holding cycleLock keeps the monitor between cycles, so a change made meanwhile is seen by
    // one whole cycle after release.
    std::unique_lock<Lock> park() { return std::unique_lock<Lock>(session().cycleLock); }

    // Waits until `cycles` more cycles have finished. Two are enough for a change made before the
    // call to have been polled by a whole cycle.
    void awaitCycles(int cycles = 2) {
        const int16_t start = locked([](Session& s) { return s.cycleCount; });
        const bool done = eventually(
            [&] {
                const int16_t now = locked([](Session& s) { return s.cycleCount; });
                return static_cast<int16_t>(now - start) >= cycles;
            },
            20000);
        ASSERT_TRUE(done) << "the monitor stopped cycling";
    }

    // Trace lines written from the line matching `first` on (the last such line).
    std::vector<std::string> traceFrom(const std::string& first) {
        const std::vector<std::string> lines = traceLines();
        for (size_t i = lines.size(); i-- > 0;) {
            if (lines[i] == first) {
                return {lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end()};
            }
        }
        return {};
    }
};

inline std::string hex(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0x0F]);
    }
    return out;
}
template <size_t N>
std::string hex(const std::array<uint8_t, N>& record) {
    return hex(record.data(), N);
}

}  // namespace rvs::test
