#include <memory>
#include <new>

#include "api/open_close.h"
#include "api/session_teardown.h"
#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/print_control.h"
#include "channel/value_names.h"
#include "device/configuration_probes.h"
#include "monitor/monitor.h"
#include "platform/driver_version.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"
#include "session/registry.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

namespace rvs {
namespace {

// "Open" answer byte 2: the printer cannot report its version; take the short path.
constexpr uint8_t kOpenShortPathBits = 0x04 | 0x40;

struct Probed {
    uint16_t driverVersion = 0;
    uint32_t statusInterval = kDefaultStatusInterval;
    uint8_t oxaPrintTimeOut = kDefaultOxaPrintTimeOut;
    uint16_t firmwareVersion = 0;
    uint8_t model = 0;
    uint32_t lastPageThreshold = kDefaultLastPageThreshold;
    uint32_t totalFeedingValue = 0;
    bool fullPath = false;
};

uint8_t modelFromShortPath(Session& session) {
    uint8_t answer[2] = {};
    RawAnswer raw = readValue(session, value::GetPrinterModel, answer, sizeof answer);
    if (!raw.callOk || raw.needed != sizeof answer) {
        return static_cast<uint8_t>(PrinterModel::Korvelin);
    }
    return static_cast<uint8_t>(readLe16(answer) != 0 ? PrinterModel::OxaSt : PrinterModel::KorvelinFO);
}

Result probeVersionAndFeeding(Session& session, Probed& probed) {
    uint8_t version[4] = {};
    Result result = requestRecord(session, value::GetPrinterVersion, version, sizeof version);
    if (result != kSuccess) {
        return result;
    }
    probed.firmwareVersion = readLe16(version);
    probed.model = version[2];
    TraceLine(&session, traceid::SessionInfo, "FWVersion = %04x\n", probed.firmwareVersion);
    if (usesDriverFeeding(probed.firmwareVersion, probed.model)) {
        result = ReadLastPageThreshold(session, probed.lastPageThreshold);
        if (result != kSuccess) {
            return result;
        }
        uint8_t total[4] = {};
        if (readValue(session, value::TotalFeedingValue, total, sizeof total).callOk) {
            probed.totalFeedingValue = readLe32(total);
        }
    }
    result = CheckMultiplePagePrinting(session);
    if (result != kSuccess) {
        return result;
    }
    {
        Guard lock(session.stateLock);
        session.firmwareVersion = probed.firmwareVersion;
        session.printerModel = probed.model;
    }
    return ApplyDivisionPrinting(session);
}

// Steps from the "Open" request to the running monitor; any failure tears the session down.
Result probeAndStart(Session& session, Probed& probed) {
    uint8_t openAnswer[5] = {};
    Result result = requestRecord(session, value::Open, openAnswer, sizeof openAnswer);
    if (result != kSuccess) {
        return result;
    }
    if (!platform::ReadDriverVersion(platform::spooler(), session.printer, session.printerName.c_str(),
                                     &probed.driverVersion)) {
        return kFailure;
    }
    TraceLine(&session, traceid::SessionInfo, "Drv ver:%X\n", probed.driverVersion);

    uint8_t interval[4] = {};
    if (readValue(session, value::TimeInterval, interval, sizeof interval).callOk) {
        probed.statusInterval = readLe32(interval);
    }
    TraceLine(&session, traceid::SessionInfo, "Status interval:%d ms\n", probed.statusInterval);

    // Only a whole answer counts: a zero taken from an empty one would purge the printer at
    // every monitor cycle while it prints.
    uint8_t timeOut = 0;
    const RawAnswer timeOutAnswer = readValue(session, value::OxaPrintTimeOut, &timeOut, 1);
    if (timeOutAnswer.callOk && timeOutAnswer.needed == 1) {
        probed.oxaPrintTimeOut = timeOut;
    }
    TraceLine(&session, traceid::SessionInfo, "Print Time out:%d min\n", probed.oxaPrintTimeOut);

    if ((openAnswer[2] & kOpenShortPathBits) != 0) {
        probed.model = modelFromShortPath(session);
    } else {
        probed.fullPath = true;
        result = probeVersionAndFeeding(session, probed);
        if (result != kSuccess) {
            return result;
        }
    }
    TraceLine(&session, traceid::SessionInfo, printerModelLine(probed.model));

    result = SetConsecutivePrint(session, true);
    if (result != kSuccess) {
        return result;
    }
    {
        Guard lock(session.stateLock);
        session.driverVersion = probed.driverVersion;
        session.lastPageThreshold = probed.lastPageThreshold;
        session.statusInterval = probed.statusInterval;
        session.totalFeedingValue = probed.totalFeedingValue;
        session.oxaPrintTimeOut = probed.oxaPrintTimeOut;
        session.firmwareVersion = probed.firmwareVersion;
        session.printerModel = probed.model;
    }
    return startMonitor(session);
}

// A monitor that never completes a first poll (every cycle failing before its status read) fails
// the open after this long instead of holding the host. A driver that hangs inside an exchange
// still holds the teardown's join.
constexpr uint32_t kFirstPollLimitMs = 60000;

// FirstPollDone is raised before the poll has looked at the edges; the poll's cycle holds
// cycleLock, so taking it afterwards waits until the first poll's edge events (FeedCounting
// among them) are in place.
bool awaitFirstPoll(Session& session) {
    const bool polled = waitUntil(kFirstPollLimitMs, 0, [&] {
        Guard lock(session.stateLock);
        return (session.stateFlags & state::FirstPollDone) != 0;
    });
    if (polled) {
        Guard cycle(session.cycleLock);
    }
    return polled;
}

void markLastPage(Session& session, const Probed& probed) {
    if (!probed.fullPath || !usesDriverFeeding(probed.firmwareVersion, probed.model)) {
        return;
    }
    Guard lock(session.stateLock);
    if ((session.stateFlags & state::FeedCounting) != 0 && session.totalFeedingValue >= session.lastPageThreshold) {
        session.stateFlags |= state::LastPageReached;
    }
}

// The half-built or failed session goes: out of the registry first, so no handle reaches it.
Result failOpen(std::unique_ptr<Session> session, Result result) {
    unregisterSession(session.get());
    session->magic = 0;
    try {
        traceErrorReturn(session.get(), fn::kOpen, result);
    } catch (...) {
        // the trace line is lost, the teardown is not
    }
    teardownSession(std::move(session));
    return result;
}

}  // namespace

Result openSession(const char16_t* printerName, RvStatementHandle* handleOut) {
    if (handleOut == nullptr || printerName == nullptr) {
        return kInvalidParameter;
    }
    platform::PrinterHandle printer = nullptr;
    if (!platform::spooler().openPrinter(printerName, &printer) || printer == nullptr) {
        return kInvalidParameter;
    }
    std::unique_ptr<Session> session(new (std::nothrow) Session);
    if (!session) {
        platform::spooler().closePrinter(printer);
        return kFailure;
    }
    session->printer = printer;
    try {
        session->printerName = printerName;
    } catch (const std::bad_alloc&) {
        platform::spooler().closePrinter(printer);
        return kFailure;
    }

    Result result = kSuccess;
    Probed probed;
    try {
        if (!TraceLoadSettings(session.get())) {
            result = kFailure;
        } else {
            const uint32_t zero = 0;
            writeInput(*session, value::ReturnValue, platform::kRegDword, &zero, sizeof zero);
            traceCall(session.get(), fn::kOpen);
            TraceLine(session.get(), traceid::SessionInfo, "Printer name:%ls\n", session->printerName);
            result = probeAndStart(*session, probed);
        }
        if (result == kSuccess) {
            registerSession(session.get());
            session->magic = kSessionMagic;
            result = awaitFirstPoll(*session) ? kSuccess : kFailure;
        }
        if (result == kSuccess) {
            markLastPage(*session, probed);
            traceReturn(session.get(), fn::kOpen);
        }
    } catch (...) {
        result = kFailure;  // the half-built session is torn down all the same
    }
    if (result != kSuccess) {
        return failOpen(std::move(session), result);
    }
    *handleOut = toHandle(session.release());
    return kSuccess;
}

}  // namespace rvs
