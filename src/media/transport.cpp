#include "media/transport.h"

#include "channel/channel.h"
#include "channel/print_control.h"
#include "channel/value_names.h"
#include "media/edge_wait.h"
#include "media/feeding.h"
#include "monitor/status_checks.h"
#include "monitor/monitor_control.h"
#include "platform/platform.h"

namespace rvs {
namespace {

constexpr uint32_t kCutStartLimitMs = 3000;
constexpr uint32_t kSlowCutStartLimitMs = 5000;  // configuration byte 0 bit 4
constexpr uint32_t kCutEndLimitMs = 15000;
constexpr uint32_t kMoveStartLimitMs = 3000;
constexpr uint32_t kSettleMs = 500;

constexpr uint32_t kMovementBits = state::Byte0Bit6Rose | state::Byte0Bit6Fell;
constexpr uint32_t kWatcherBits = state::WatcherRunning | state::WatcherDone;
constexpr uint32_t kCutBits = state::Byte0Bit7Rose | state::Byte0Bit7Fell;

struct ModeMovement {
    uint32_t pendingEvent;
    uint32_t endLimitMs;
};
constexpr ModeMovement kMovements[] = {
    {event::PendingPresent, 20000},
    {event::PendingEject, 20000},
    {event::PendingRetract, 30000},
};

// On every way out but success: stops filtering the status callbacks and lets the held-back
// status be caught up, and takes back the bits this call set, not those an earlier command's
// movement still waits on.
class TransportExit {
public:
    TransportExit(Session& session, uint8_t mode) : session_(session), mode_(mode) {}
    ~TransportExit() {
        if (!succeeded_) leave();
    }
    TransportExit(const TransportExit&) = delete;
    TransportExit& operator=(const TransportExit&) = delete;

    void posted(uint32_t pendingEvent) { posted_ = pendingEvent; }
    void succeeded() { succeeded_ = true; }

private:
    void leave() {
        Guard lock(session_.stateLock);
        session_.eventFlags &= ~(event::TransportFilter | posted_);
        session_.stateFlags &= ~kMovementBits;
        // A watcher waiting for an earlier statement to be taken clears these itself when it
        // returns; the handshake of the next command waits on them.
        const bool watcherWaiting = (session_.stateFlags & kWatcherBits) == state::WatcherRunning;
        if (mode_ != 1 && !watcherWaiting) {
            session_.stateFlags &= ~kWatcherBits;
        }
        session_.eventFlags |= event::TransportCatchUp;
    }

    Session& session_;
    uint8_t mode_;
    uint32_t posted_ = 0;
    bool succeeded_ = false;
};

// After a time-out: a paper error or a printer error in a fresh status beats the time-out code.
Result review(Session& session, Result timeoutCode) {
    const Result code = readAndCheckStatus(session, {StatusCheck::Paper, StatusCheck::FullError});
    return code != kSuccess ? code : timeoutCode;
}

Result cutPhase(Session& session, uint8_t configuration0) {
    uint32_t startLimit = kCutStartLimitMs;
    if ((configuration0 & 0x10) != 0) {
        startLimit = kSlowCutStartLimitMs;
    } else if ((configuration0 & 0x80) != 0) {
        return kSuccess;  // no cut
    }
    switch (awaitEdges(session, kCutEdges, startLimit, kCutEndLimitMs)) {
        case EdgeWaitEnd::NotStarted: return review(session, kCutStartTimeout);
        case EdgeWaitEnd::NotEnded: return review(session, kCutEndTimeout);
        case EdgeWaitEnd::Ended: break;
    }
    return readAndCheckStatus(session, {StatusCheck::FullError});
}

Result movementPhase(Session& session, uint8_t mode, TransportExit& exit) {
    const ModeMovement& movement = kMovements[mode - 1];
    setEventFlags(session, movement.pendingEvent);
    exit.posted(movement.pendingEvent);
    switch (awaitEdges(session, kMovementEdges, kMoveStartLimitMs, movement.endLimitMs)) {
        case EdgeWaitEnd::NotStarted: return review(session, kMoveStartTimeout);
        case EdgeWaitEnd::NotEnded: return review(session, kMoveEndTimeout);
        case EdgeWaitEnd::Ended: break;
    }
    platform::system().sleep(kSettleMs);
    return readAndCheckStatus(session, {StatusCheck::Paper, StatusCheck::FullError});
}

Result transport(Session& session, uint8_t mode, TransportExit& exit) {
    uint8_t configuration[8] = {};
    Result code = requestRecord(session, value::GetConfiguration, configuration, sizeof configuration);
    if (code != kSuccess) {
        return code;
    }
    FeedingContext feeding;
    {
        Guard lock(session.stateLock);
        feeding = {session.firmwareVersion, session.printerModel};
        session.eventFlags &= ~event::TransportCatchUp;
        session.stateFlags |= state::CommandPending;
        session.eventFlags |= event::TransportFilter;
    }
    CommandHandshake(session);  // CommandPending is set already; this waits for a running watcher
    if (code = readAndCheckStatus(session, {StatusCheck::NotReady, StatusCheck::FullError}); code != kSuccess) {
        return code;
    }
    {
        Guard lock(session.stateLock);
        session.stateFlags &= ~(kMovementBits | kCutBits | kWatcherBits);
        if (mode == 1) {
            session.stateFlags |= state::WatchPaperRemoval;
        }
    }
    if (code = writeInput(session, value::TransportInput, platform::kRegBinary, &mode, 1); code != kSuccess) {
        return code;
    }
    if (code = requestCommand(session, value::Transport); code != kSuccess) {
        return code;
    }
    if (code = cutPhase(session, configuration[0]); code != kSuccess) {
        return code;
    }
    if (code = movementPhase(session, mode, exit); code != kSuccess) {
        return code;
    }
    {
        Guard lock(session.stateLock);
        session.eventFlags &= ~event::TransportFilter;
        session.stateFlags &= ~kMovementBits;
        if (mode != 1) {
            session.stateFlags &= ~kWatcherBits;
        }
        session.eventFlags |= event::TransportCatchUp;
    }
    if (code = AccumulateFeeding(session, feeding); code != kSuccess) {
        return code;
    }
    return SetConsecutivePrint(session, true);
}

}  // namespace

Result RunTransport(Session& session, uint8_t mode, Result selection) {
    TransportExit exit(session, mode);
    const Result code = selection != kSuccess ? selection : transport(session, mode, exit);
    if (code == kSuccess) {
        exit.succeeded();
    }
    return code;
}

}  // namespace rvs
