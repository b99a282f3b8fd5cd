// The record behind a session handle, shared by the host's threads and the monitor thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "RvStatement.h"
#include "platform/spooler.h"
#include "platform/system.h"
#include "session/lock.h"

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

// Which lock guards a field is said beside it. Fields set while open builds the session, before
// any other thread can see it, and not changed afterwards need no lock ("set at open").
// Lock order: cycleLock, then stateLock, then traceLock.
struct Session {
    Lock cycleLock{LockRank::Cycle};  // a whole monitor cycle; Reset's exchange; a paused monitor
    Lock stateLock{LockRank::State};  // short reads and writes of the fields marked so
    Lock traceLock{LockRank::Trace};  // one trace file write and the trace settings

    std::atomic<uint32_t> magic{0};                  // atomic: read by handle validation
    std::atomic<uint32_t> activeCalls{0};            // exports running on the session (CallHold)
    uint32_t stateFlags RVS_GUARDED_BY(stateLock) = 0;
    uint32_t eventFlags RVS_GUARDED_BY(stateLock) = 0;
    platform::PrinterHandle printer = nullptr;       // set at open
    std::u16string printerName;                      // set at open
    uint16_t driverVersion = 0;                      // set at open
    RvStatementStatusCallBack statusCallback RVS_GUARDED_BY(stateLock) = nullptr;
    RvStatementOxaStatusCallBack oxaStatusCallback RVS_GUARDED_BY(stateLock) = nullptr;
    StatusRecord status RVS_GUARDED_BY(stateLock){};
    OxaStatusRecord oxaStatus RVS_GUARDED_BY(stateLock){};
    std::unique_ptr<platform::Thread> monitorThread;  // set at open, reset at close
    int16_t cycleCount RVS_GUARDED_BY(stateLock) = 0;
    uint64_t statusUserData RVS_GUARDED_BY(stateLock) = 0;
    uint64_t oxaUserData RVS_GUARDED_BY(stateLock) = 0;
    std::atomic<uint32_t> monitorThreadId{0};        // atomic: compared by every export
    uint32_t statusInterval = kDefaultStatusInterval;  // set at open
    uint32_t statusResult RVS_GUARDED_BY(stateLock) = 0;
    uint8_t transportStatus RVS_GUARDED_BY(stateLock) = 0;
    uint32_t lastPageThreshold RVS_GUARDED_BY(stateLock) = kDefaultLastPageThreshold;
    uint32_t totalFeedingValue RVS_GUARDED_BY(stateLock) = 0;
    uint16_t firmwareVersion RVS_GUARDED_BY(stateLock) = 0;
    uint8_t printerModel RVS_GUARDED_BY(stateLock) = 0;
    StatusRecord deliveredStatus RVS_GUARDED_BY(stateLock){};
    OxaStatusRecord deliveredOxaStatus RVS_GUARDED_BY(stateLock){};

    // Trace settings: the mode and count are read by the filter on any thread without a lock.
    std::atomic<uint8_t> traceMode{0};
    std::atomic<uint16_t> traceFileCount{0};
    char16_t traceDirectory[kTraceDirectoryUnits] RVS_GUARDED_BY(traceLock) = {};
    uint32_t traceHeaderDate RVS_GUARDED_BY(traceLock) = 0;

    std::atomic<uint8_t> oxaPrintTimeOut{kDefaultOxaPrintTimeOut};  // atomic: device selection rereads it
    uint8_t oxaTimerRunning RVS_GUARDED_BY(stateLock) = 0;
    uint8_t oxaTimeOutFired RVS_GUARDED_BY(stateLock) = 0;
    uint32_t oxaTimerStart RVS_GUARDED_BY(stateLock) = 0;

    // Commands keeping the monitor off the printer; a running paper-removed watcher ends its
    // wait while this is non-zero.
    uint32_t pauseRequests RVS_GUARDED_BY(stateLock) = 0;
};

}  // namespace rvs
