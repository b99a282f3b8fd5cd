// The record behind a session handle, shared by the host's threads and the monitor thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "RvStatement.h"
#include "platform/spooler.h"
#include "platform/system.h"

namespace rvs {

inline constexpr uint32_t kSessionMagic = 0xABABABAB;

inline constexpr size_t kStatusSize = 5;
inline constexpr size_t kOxaStatusSize = 18;
using StatusRecord = std::array<uint8_t, kStatusSize>;
using OxaStatusRecord = std::array<uint8_t, kOxaStatusSize>;

inline constexpr size_t kTraceDirectoryUnits = 260;

enum class PrinterModel : uint8_t { Korvelin = 0, KorvelinFO = 1, OxaSt = 2 };

// stateFlags bits, changed under stateLock.
namespace state {
inline constexpr uint32_t FirstPollDone = 0x1;
inline constexpr uint32_t StopMonitor = 0x2;
inline constexpr uint32_t WatchPaperRemoval = 0x8;
inline constexpr uint32_t SelfTestReady = 0x10;
inline constexpr uint32_t SelfTestRunning = 0x20;
inline constexpr uint32_t FeedCounting = 0x40;
inline constexpr uint32_t LastPageReached = 0x80;
inline constexpr uint32_t Byte0Bit5Rose = 0x1000;
inline constexpr uint32_t Byte0Bit5Fell = 0x2000;
inline constexpr uint32_t Byte0Bit6Rose = 0x4000;
inline constexpr uint32_t Byte0Bit6Fell = 0x8000;
inline constexpr uint32_t Byte0Bit7Rose = 0x10000;
inline constexpr uint32_t Byte0Bit7Fell = 0x20000;
inline constexpr uint32_t WatcherRunning = 0x40000;
inline constexpr uint32_t WatcherDone = 0x80000;
inline constexpr uint32_t CommandPending = 0x100000;
}  // namespace state

// eventFlags bits, changed under stateLock.
namespace event {
inline constexpr uint32_t PendingPresent = 0x4000;
inline constexpr uint32_t PendingEject = 0x8000;
inline constexpr uint32_t PendingRetract = 0x10000;
inline constexpr uint32_t PendingPaperChange = 0x40000;
inline constexpr uint32_t TransportFilter = 0x10000000;
inline constexpr uint32_t TransportCatchUp = 0x20000000;
}  // namespace event

inline constexpr uint32_t kDefaultStatusInterval = 50;
inline constexpr uint8_t kDefaultOxaPrintTimeOut = 3;
inline constexpr uint32_t kDefaultLastPageThreshold = 690;

using Lock = std::recursive_mutex;
using Guard = std::lock_guard<Lock>;

struct Session {
    std::atomic<uint32_t> magic{0};
    uint32_t stateFlags = 0;
    uint32_t eventFlags = 0;
    platform::PrinterHandle printer = nullptr;
    std::u16string printerName;
    uint16_t driverVersion = 0;
    RvStatementStatusCallBack statusCallback = nullptr;
    RvStatementOxaStatusCallBack oxaStatusCallback = nullptr;
    StatusRecord status{};
    OxaStatusRecord oxaStatus{};
    std::unique_ptr<platform::Thread> monitorThread;
    Lock stateLock;
    Lock cycleLock;
    Lock traceLock;
    int16_t cycleCount = 0;
    uint64_t statusUserData = 0;
    uint64_t oxaUserData = 0;
    std::atomic<uint32_t> monitorThreadId{0};
    uint32_t statusInterval = kDefaultStatusInterval;
    uint32_t statusResult = 0;
    uint8_t transportStatus = 0;
    uint32_t lastPageThreshold = kDefaultLastPageThreshold;
    uint32_t totalFeedingValue = 0;
    uint16_t firmwareVersion = 0;
    uint8_t printerModel = 0;
    StatusRecord deliveredStatus{};
    OxaStatusRecord deliveredOxaStatus{};

    // Trace settings: the mode is read by the filter on any thread; the rest under traceLock.
    std::atomic<uint8_t> traceMode{0};
    std::atomic<uint16_t> traceFileCount{0};
    char16_t traceDirectory[kTraceDirectoryUnits] = {};
    uint32_t traceHeaderDate = 0;

    std::atomic<uint8_t> oxaPrintTimeOut{kDefaultOxaPrintTimeOut};
    uint8_t oxaTimerRunning = 0;
    uint8_t oxaTimeOutFired = 0;
    uint32_t oxaTimerStart = 0;

    // Commands keeping the monitor off the printer; a running paper-removed watcher ends its
    // wait while this is non-zero. Guarded by stateLock.
    uint32_t pauseRequests = 0;
};

}  // namespace rvs
