#include "channel/channel.h"
#include "channel/value_names.h"
#include "monitor/sliced_sleep.h"
#include "monitor/status_poll.h"
#include "monitor/status_record.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs {
namespace {

struct PendingMovement {
    uint32_t event;
    uint8_t transportMask;  // "GetTransport" bits that mean the paper is still on its way
};

constexpr PendingMovement kMovements[] = {
    {event::PendingPresent, 0x02},
    {event::PendingEject, 0x04},
    {event::PendingRetract, 0x08},
    {event::PendingPaperChange, 0x10},
};

// Stores the "GetTransport" answer; true when none of `mask`'s bits is set.
bool CheckTransport(Session& session, uint8_t mask) {
    uint8_t transport = 0;
    const RawAnswer raw = readValue(session, value::GetTransport, &transport, 1);
    if (!raw.callOk || raw.needed != 1) {
        return false;
    }
    Guard lock(session.stateLock);
    session.transportStatus = transport;
    return (transport & mask) == 0;
}

bool waitShouldEnd(Session& session) {
    Guard lock(session.stateLock);
    return (session.stateFlags & (state::StopMonitor | state::CommandPending)) != 0 || session.pauseRequests != 0;
}

template <class Record, class Callback>
void reportRemoval(Session& session, Record& cached, Record& delivered, Callback callback, uint64_t userData,
                   size_t libraryByte, uint8_t removedBits) {
    Record before;
    Record report;
    {
        Guard lock(session.stateLock);
        before = cached;
    }
    report = before;
    report[libraryByte] |= removedBits;
    if (callback == nullptr) {
        return;
    }
    invokeCallback(callback, report, userData);
    {
        Guard lock(session.stateLock);
        delivered = before;
    }
    TraceHex(&session, traceid::PreviousStatus, before.data(), before.size());
    TraceHex(&session, traceid::NewStatus, report.data(), report.size());
}

// The records are handed over by reference; reportRemoval reads and writes them under stateLock.
void report(Session& session, uint8_t paperRemovedAnswer) RVS_NO_THREAD_SAFETY_ANALYSIS {
    RvStatementStatusCallBack statusCallback = nullptr;
    RvStatementOxaStatusCallBack oxaCallback = nullptr;
    uint64_t statusUserData = 0;
    uint64_t oxaUserData = 0;
    bool oxa = false;
    {
        Guard lock(session.stateLock);
        oxa = session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt);
        statusCallback = session.statusCallback;
        oxaCallback = session.oxaStatusCallback;
        statusUserData = session.statusUserData;
        oxaUserData = session.oxaUserData;
    }
    if (oxa) {
        reportRemoval(session, session.oxaStatus, session.deliveredOxaStatus, oxaCallback, oxaUserData,
                      kOxaLibraryByte, kLibPaperRemoved);
    } else {
        reportRemoval(session, session.status, session.deliveredStatus, statusCallback, statusUserData,
                      kLibraryByte, paperRemovedAnswer);
    }
}

}  // namespace

void PaperRemovedWatcher(Session& session) {
    const PendingMovement* movement = nullptr;
    bool watchRemoval = false;
    uint32_t interval = 0;
    {
        Guard lock(session.stateLock);
        interval = session.statusInterval;
        for (const PendingMovement& candidate : kMovements) {
            if ((session.eventFlags & candidate.event) != 0) {
                movement = &candidate;
                session.eventFlags &= ~candidate.event;
                break;
            }
        }
        watchRemoval = (session.stateFlags & state::WatchPaperRemoval) != 0;
        // A flag left from before (the command that moved the paper) is stale; one raised from
        // now on is a command that arrives while the watcher starts.
        if (movement != nullptr) {
            session.stateFlags &= ~state::CommandPending;
        }
    }
    if (movement == nullptr) {
        return;
    }
    const bool transportClear = CheckTransport(session, movement->transportMask);
    if (movement->event != event::PendingPresent || !watchRemoval || !transportClear) {
        return;
    }
    bool oxa = false;
    {
        Guard lock(session.stateLock);
        session.stateFlags &= ~state::WatchPaperRemoval;
        // That command did not wait for this watcher, which has not run yet: it must not wait.
        if ((session.stateFlags & state::CommandPending) != 0) {
            return;
        }
        session.stateFlags |= state::WatcherRunning;
        oxa = session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt);
    }
    for (;;) {
        uint8_t removed = 0;
        const RawAnswer raw = readValue(session, value::PaperRemoved, &removed, 1);
        if (!raw.callOk || raw.needed != 1) {
            return;
        }
        if ((removed & 0x40) != 0) {
            report(session, removed);
            return;
        }
        // The OXA ST's status is polled without a cached record: only the link is checked.
        if (!PollStatus(session, oxa ? nullptr : &session.status, PollMode::Once)) {
            return;
        }
        if (waitShouldEnd(session) || !sleepUnless(interval, [&] { return waitShouldEnd(session); })) {
            return;
        }
    }
}

}  // namespace rvs
