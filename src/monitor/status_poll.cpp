#include "monitor/status_poll.h"

#include <algorithm>

#include "monitor/monitor.h"
#include "monitor/status_record.h"
#include "trace/trace.h"

namespace rvs {
namespace {

bool rose(uint8_t before, uint8_t after, uint8_t mask) { return (before & mask) == 0 && (after & mask) != 0; }
bool fell(uint8_t before, uint8_t after, uint8_t mask) { return (before & mask) != 0 && (after & mask) == 0; }

// What differs between the 5-byte status and the 18-byte OXA status.
struct PlainStatus {
    using Record = StatusRecord;
    using Callback = RvStatementStatusCallBack;
    static constexpr Callback Session::*callback = &Session::statusCallback;
    static constexpr uint64_t Session::*userData = &Session::statusUserData;
    static constexpr Record Session::*delivered = &Session::deliveredStatus;
    static constexpr const char* changeText = "Change\n";
    static constexpr size_t selfTestByte = 1;
    static bool read(Session& s, Record& r, Result& code) { return ReadStatus(s, r, code); }
    static bool changed(const Record* cached, const Record& fresh) { return StatusChanged(cached, fresh); }
    static bool paperMoveStarted(const Record& a, const Record& b) { return rose(a[0], b[0], 0x40); }
    static bool paperLeft(const Record& a, const Record& b) { return fell(a[0], b[0], 0x40); }
};

struct OxaStatus {
    using Record = OxaStatusRecord;
    using Callback = RvStatementOxaStatusCallBack;
    static constexpr Callback Session::*callback = &Session::oxaStatusCallback;
    static constexpr uint64_t Session::*userData = &Session::oxaUserData;
    static constexpr Record Session::*delivered = &Session::deliveredOxaStatus;
    static constexpr const char* changeText = "\n";
    static constexpr size_t selfTestByte = 2;
    static bool read(Session& s, Record& r, Result& code) { return ReadOxaStatus(s, r, code); }
    static bool changed(const Record* cached, const Record& fresh) { return OxaStatusChanged(cached, fresh); }
    // On the OXA device a fall of byte 8 bit 6 stands for the whole movement.
    static bool paperMoveStarted(const Record& a, const Record& b) { return fell(a[8], b[8], 0x40); }
    static bool paperLeft(const Record& a, const Record& b) { return fell(a[8], b[8], 0x40); }
};

// With TransportFilter set only changes outside byte 0 bits 5 to 7 are delivered.
template <class Record>
bool passesTransportFilter(const Record& a, const Record& b) {
    return (a[0] & 0x1F) != (b[0] & 0x1F) || !std::equal(a.begin() + 1, a.end(), b.begin() + 1);
}

template <class Kind>
bool hasCallback(Session& s) {
    return s.*Kind::callback != nullptr;
}

// Calls the registered callback, if any, with stateLock released.
template <class Kind>
void deliver(Session& s, const typename Kind::Record& record) {
    typename Kind::Callback callback = nullptr;
    uint64_t userData = 0;
    {
        Guard lock(s.stateLock);
        callback = s.*Kind::callback;
        userData = s.*Kind::userData;
    }
    if (callback != nullptr) {
        invokeCallback(callback, record, userData);
    }
}

void setFlags(Session& session, uint32_t bits) {
    Guard lock(session.stateLock);
    session.stateFlags |= bits;
}

template <class Kind>
void raiseEdgeEvents(Session& session, const typename Kind::Record& before, const typename Kind::Record& after) {
    bool oxaTimer = false;
    {
        Guard lock(session.stateLock);
        oxaTimer = session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt);
    }
    if (rose(before[0], after[0], 0x01)) {
        setFlags(session, state::FeedCounting);
    }
    if (fell(before[0], after[0], 0x01)) {
        Guard lock(session.stateLock);
        session.stateFlags &= ~(state::FeedCounting | state::LastPageReached);
        session.totalFeedingValue = 0;
    }
    if (rose(before[Kind::selfTestByte], after[Kind::selfTestByte], 0x80)) {
        setFlags(session, state::SelfTestReady);
    }
    if (rose(before[0], after[0], 0x20)) {
        Guard lock(session.stateLock);
        session.stateFlags |= state::Byte0Bit5Rose;
        if (oxaTimer) {
            startOxaTimer(session);
        }
    }
    if (fell(before[0], after[0], 0x20)) {
        Guard lock(session.stateLock);
        session.stateFlags |= state::Byte0Bit5Fell;
        if (oxaTimer) {
            stopOxaTimer(session);
        }
    }
    if (rose(before[0], after[0], 0x80)) {
        setFlags(session, state::Byte0Bit7Rose);
    }
    if (fell(before[0], after[0], 0x80)) {
        setFlags(session, state::Byte0Bit7Fell);
    }
    if (Kind::paperMoveStarted(before, after)) {
        setFlags(session, state::Byte0Bit6Rose);
    }
}

// The watcher counts as returned however it leaves, by an exception too: a command's
// handshake must never wait for a watcher that is gone.
void runWatcher(Session& session) {
    struct Returned {
        Session& session;
        ~Returned() {
            Guard lock(session.stateLock);
            session.stateFlags &= ~state::WatcherRunning;
            session.stateFlags |= state::WatcherDone;
        }
    } returned{session};
    PaperRemovedWatcher(session);
}

template <class Kind>
void onChange(Session& session, typename Kind::Record& cached, const typename Kind::Record& fresh, PollMode mode) {
    using Record = typename Kind::Record;
    Record before;
    bool deliver = false;
    {
        Guard lock(session.stateLock);
        before = cached;
        if (hasCallback<Kind>(session)) {
            deliver = (session.eventFlags & event::TransportFilter) == 0 || passesTransportFilter(before, fresh);
        }
    }
    TraceLine(&session, traceid::StatusChange, Kind::changeText);
    TraceHex(&session, traceid::PreviousStatus, before.data(), before.size());
    TraceHex(&session, traceid::NewStatus, fresh.data(), fresh.size());
    if (deliver) {
        rvs::deliver<Kind>(session, fresh);
        Guard lock(session.stateLock);
        session.*Kind::delivered = fresh;
    }
    raiseEdgeEvents<Kind>(session, before, fresh);

    const bool paperLeft = Kind::paperLeft(before, fresh);
    RelockableGuard lock(session.stateLock);
    if (mode == PollMode::Once || !paperLeft) {
        if (paperLeft) {
            session.stateFlags |= state::Byte0Bit6Fell;
        }
        cached = fresh;
        return;
    }
    session.stateFlags &= ~state::WatcherDone;
    session.stateFlags |= state::Byte0Bit6Fell;
    cached = fresh;
    lock.unlock();
    runWatcher(session);
}

// After a transport the status held back by the filter is delivered once.
template <class Kind>
void catchUp(Session& session, const typename Kind::Record& fresh) {
    RelockableGuard lock(session.stateLock);
    if ((session.eventFlags & event::TransportCatchUp) == 0) {
        return;
    }
    if (((session.*Kind::delivered)[0] & 0xE0) != 0 && (fresh[0] & 0xE0) == 0) {
        lock.unlock();
        rvs::deliver<Kind>(session, fresh);
        lock.lock();
        session.*Kind::delivered = fresh;
    }
    session.eventFlags &= ~event::TransportCatchUp;
}

template <class Kind>
bool poll(Session& session, typename Kind::Record* cached, PollMode mode) {
    typename Kind::Record fresh{};
    Result code = kSuccess;
    const bool ok = Kind::read(session, fresh, code);
    if (!ok && mode == PollMode::Once) {
        return false;
    }
    bool changed = false;
    {
        Guard lock(session.stateLock);
        session.stateFlags |= state::FirstPollDone;
        session.statusResult = code;
        changed = Kind::changed(cached, fresh);
    }
    if (changed) {
        onChange<Kind>(session, *cached, fresh, mode);
    } else {
        catchUp<Kind>(session, fresh);
    }
    return true;
}

}  // namespace

bool PollStatus(Session& session, StatusRecord* cached, PollMode mode) {
    return poll<PlainStatus>(session, cached, mode);
}

bool PollOxaStatus(Session& session, OxaStatusRecord* cached, PollMode mode) {
    return poll<OxaStatus>(session, cached, mode);
}

}  // namespace rvs
