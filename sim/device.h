// One virtual printer: the driver's side of the printer-data values, its status bytes, its
// settings record, injected faults and a timeline of scripted changes. What each value name
// does lives in its handler (value_table.h); this class serves the spooler calls around them.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/driver_state.h"
#include "sim/exchange_filter.h"
#include "sim/exchange_log.h"
#include "sim/fault.h"
#include "sim/profile.h"
#include "sim/settings_record.h"
#include "sim/timeline.h"
#include "sim/value_table.h"

namespace rvs::sim {

// Errors the spooler returns.
inline constexpr uint32_t kErrorFileNotFound = 2;   // no such value
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorMoreData = 234;     // buffer shorter than the answer

class Device {
public:
    // `table` must outlive the device.
    Device(Profile profile, ExchangeLog& log, const ValueTable& table = valueTable());
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const Profile& profile() const { return state_.profile(); }  // fixed for the device's life

    // Status: the driver's 5 raw bytes for "StatusGet" and 18 for "OXAGetStatus".
    void setStatus(const std::array<uint8_t, 5>& status);
    std::array<uint8_t, 5> status() const;
    void setStatusBit(size_t byte, uint8_t mask, bool on);
    void setOxaStatus(const std::array<uint8_t, 18>& status);
    std::array<uint8_t, 18> oxaStatus() const;
    void setOxaStatusBit(size_t byte, uint8_t mask, bool on);

    // The answer of any request value, overriding the default and the driver's own state for it
    // until the library writes that name. removeValue makes its get fail like an unknown name.
    void setAnswer(const std::u16string& name, std::vector<uint8_t> bytes);
    void removeValue(const std::u16string& name);
    // Last data the library wrote under `name`.
    std::optional<std::vector<uint8_t>> input(const std::u16string& name) const;
    uint32_t returnValue() const;
    void setReturnValue(uint32_t value);

    // Driver settings record ("PrinterData"; "PrinterDataSize" answers its size).
    std::vector<uint8_t> settingsRecord() const;
    void setSettingsRecord(std::vector<uint8_t> record);
    // Writes the trace fields at offsets 288 (mode), 290 (file count) and 294 (directory, NUL
    // terminated). Leaves "LogSettingCondition" alone: raise it with setLogSettingChanged.
    void setTraceSettings(uint8_t mode, uint16_t fileCount, const std::u16string& directory);
    void setLogSettingChanged(bool changed);  // "LogSettingCondition" bit 0
    bool logSettingChanged() const;
    uint32_t totalFeedingValue() const;       // as last written by the library ("TotalFeedingValue" set)
    void setTotalFeedingValue(uint32_t total);
    // The printer's own data: metrics, manufacturing block, configuration, LEDs, print enable.
    DeviceData deviceData() const;
    void changeDeviceData(const std::function<void(DeviceData&)>& change);

    // Faults per value name, used in the order injected; times = -1 for every call from now on.
    void injectFault(const std::u16string& name, Fault fault, int times = 1);
    // A fault for one exchange by its place: `index` exchanges that `filter` counts pass, the
    // next one (gets and sets alike) meets `fault`. Replaces an earlier one and counts from now.
    // A fault only a get can meet (wrong size, answer) that falls on a set is spent unused.
    // It comes before the per-name faults, which stay queued for later calls.
    void injectFaultAt(size_t index, Fault fault, ExchangeFilter filter = {});
    // Counts the exchanges `filter` counts from now on, with no fault.
    void startCounting(ExchangeFilter filter = {});
    // The exchanges counted since injectFaultAt or startCounting, as served: with a fault, up to
    // and including the one that met it.
    std::vector<Exchange> countedExchanges() const;
    // Whether the fault of injectFaultAt has met its exchange.
    bool exchangeFaultMet() const;
    // Ends every fault, by name and by place, and the counting.
    void clearFaults();

    // Timeline: run `action` once the platform tick count has advanced `afterMs` from now. Due
    // actions run at the start of the next spooler call on this device, in due order (ties in
    // scheduling order), and on runDue(). Actions may use every method of this device.
    void schedule(uint32_t afterMs, std::function<void(Device&)> action);
    void runDue();

    // Reads or changes the driver's state with the device locked: timeline steps, and tests
    // setting the printer's behaviour (`d.paper.behaviour`) or looking at what it received.
    template <class Change>
    auto update(Change change) {
        std::lock_guard<std::mutex> guard(mutex_);
        return change(state_);
    }

    int openHandles() const { return openHandles_.load(); }
    // "StatusGet" gets answered so far: lets scripted steps wait until the last one was seen.
    uint64_t statusReads() const { return statusReads_.load(); }

    // The spooler side, called by VirtualPrinter with the caller's arguments.
    uint32_t serveGet(const char16_t* name, uint32_t* type, uint8_t* data, uint32_t size, uint32_t* needed);
    uint32_t serveSet(const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size);
    // A spooler call other than printer data (paper forms), logged under `name` and open to the
    // faults that make a call fail. `work` serves it: false fails it with kErrorInvalidParameter.
    // Returns 0 or the error.
    uint32_t serveCall(const char16_t* name, const std::function<bool(DriverState&)>& work);
    void handleOpened() { ++openHandles_; }
    void handleClosed() { --openHandles_; }

private:
    static constexpr size_t kNoIndex = std::numeric_limits<size_t>::max();

    struct PendingFault {
        Fault fault;
        int remaining = 1;  // -1: forever
    };
    struct PlacedFault {
        bool counting = false;
        ExchangeFilter filter;
        size_t index = kNoIndex;  // kNoIndex: counting only
        Fault fault;
        size_t seen = 0;                // counted so far, served or still being served
        std::vector<Exchange> counted;  // as served
    };

    // REQUIRES: mutex_ held.
    std::optional<Fault> takeFault(const Exchange& exchange, bool* counted);
    // takeFault, with a delay served here: it sleeps with `lock` released and leaves no fault.
    std::optional<Fault> takeFaultAfterDelay(const Exchange& exchange, std::unique_lock<std::mutex>& lock, bool* counted);
    std::optional<Fault> takeNamedFault(const std::u16string& name, bool forSet);
    void record(Exchange exchange, bool counted);

    ExchangeLog& log_;
    std::atomic<int> openHandles_{0};
    std::atomic<uint64_t> statusReads_{0};
    Timeline timeline_;
    // Keeps due actions in order when several threads call at once; actions may call back in.
    std::recursive_mutex runMutex_;
    // Threads running due actions: a call that finds the timeline empty while another thread
    // still runs what it took waits for it, as those actions were due before the call.
    std::atomic<int> runningDue_{0};

    mutable std::mutex mutex_;
    DriverState state_;                                      // guarded by mutex_
    std::map<std::u16string, std::vector<PendingFault>> faults_;  // guarded by mutex_
    PlacedFault placed_;                                     // guarded by mutex_
};

}  // namespace rvs::sim
