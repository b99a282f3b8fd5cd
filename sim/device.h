// One virtual printer: the driver's side of the printer-data values, its status bytes, its
// settings record, injected faults and a timeline of scripted changes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/exchange_log.h"
#include "sim/fault.h"
#include "sim/profile.h"

namespace rvs::sim {

// Errors the spooler returns.
inline constexpr uint32_t kErrorFileNotFound = 2;   // no such value
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorMoreData = 234;     // buffer shorter than the answer

inline constexpr size_t kSettingsRecordSize = 1344;
inline constexpr size_t kTraceModeOffset = 288;
inline constexpr size_t kTraceFileCountOffset = 290;
inline constexpr size_t kTraceDirectoryOffset = 294;
inline constexpr uint16_t kDefaultTraceFileCount = 5;

class Device {
public:
    Device(Profile profile, ExchangeLog& log);
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const Profile& profile() const { return profile_; }

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

    // Faults per value name, used in the order injected; times = -1 for every call from now on.
    void injectFault(const std::u16string& name, Fault fault, int times = 1);
    void clearFaults();

    // Timeline: run `action` once the platform tick count has advanced `afterMs` from now. Due
    // actions run at the start of the next spooler call on this device, in due order (ties in
    // scheduling order), and on runDue(). Actions may use every method of this device.
    void schedule(uint32_t afterMs, std::function<void(Device&)> action);
    void runDue();

    int openHandles() const { return openHandles_.load(); }
    // "StatusGet" gets answered so far: lets scripted steps wait until the last one was seen.
    uint64_t statusReads() const { return statusReads_.load(); }

    // The spooler side, called by VirtualPrinter with the caller's arguments.
    uint32_t serveGet(const char16_t* name, uint32_t* type, uint8_t* data, uint32_t size, uint32_t* needed);
    uint32_t serveSet(const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size);
    void handleOpened() { ++openHandles_; }
    void handleClosed() { --openHandles_; }

private:
    struct Value {
        std::vector<uint8_t> bytes;
        uint32_t type = 0;
    };
    struct PendingFault {
        Fault fault;
        int remaining = 1;  // -1: forever
    };
    struct Scheduled {
        uint32_t start = 0;
        uint32_t afterMs = 0;
        uint64_t sequence = 0;
        std::function<void(Device&)> action;
    };

    // REQUIRES: mutex_ held.
    std::optional<Fault> takeFault(const std::u16string& name, bool forSet);
    bool answerFor(const std::u16string& name, Value* answer) const;
    void storeInput(const std::u16string& name, uint32_t type, std::vector<uint8_t> bytes);
    void record(Exchange exchange);

    const Profile profile_;
    ExchangeLog& log_;
    std::atomic<int> openHandles_{0};
    std::atomic<uint64_t> statusReads_{0};

    mutable std::mutex mutex_;
    std::array<uint8_t, 5> status_{};
    std::array<uint8_t, 18> oxaStatus_{};
    std::map<std::u16string, Value> values_;       // defaults, set answers and library writes
    std::set<std::u16string> overridden_;          // set by setAnswer: wins over driver state
    std::set<std::u16string> removed_;
    std::map<std::u16string, std::vector<uint8_t>> inputs_;
    std::map<std::u16string, std::vector<PendingFault>> faults_;
    std::vector<uint8_t> settings_;
    uint32_t returnValue_ = 0;
    uint32_t totalFeedingValue_ = 0;
    bool logSettingChanged_ = false;
    bool oxaSelected_ = false;

    // Timeline: runMutex_ keeps due actions in order when several threads call at once.
    std::recursive_mutex runMutex_;
    std::vector<Scheduled> timeline_;              // guarded by mutex_
    std::atomic<size_t> scheduledCount_{0};
    uint64_t nextSequence_ = 0;                    // guarded by mutex_
};

}  // namespace rvs::sim
