#include "maintenance/self_test_steps.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "media/edge_wait.h"
#include "monitor/monitor.h"
#include "monitor/monitor_control.h"
#include "monitor/status_checks.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"

namespace rvs {
namespace {

constexpr uint32_t kSettleMs = 500;

constexpr SelfTestStep kPresenting{.paper = true, .paperEvent = event::PendingPresent};
constexpr SelfTestStep kSteps[kLastSelfTestStep] = {
    kPresenting,                                                                   // 1
    {.fixedWaitMs = 8000},                                                         // 2
    kPresenting,                                                                   // 3
    kPresenting,                                                                   // 4
    {.fixedWaitMs = 0},                                                            // 5
    {.paper = true, .paperEvent = event::PendingRetract},                          // 6
    kPresenting,                                                                   // 7
    kPresenting,                                                                   // 8
    {.paper = true, .paperEvent = event::PendingPresent, .waitsForRemoval = true}, // 9
    {.paper = true, .paperEvent = event::PendingPresent, .sendsData = true},       // 10
    {.fixedWaitMs = 5000},                                                         // 11
};

bool showsError(const StatusRecord& status) { return checkStatus(status, {StatusCheck::FullError}) != kSuccess; }

bool cachedStatusShowsError(Session& session) {
    StatusRecord status{};
    {
        Guard lock(session.stateLock);
        status = session.status;
    }
    return showsError(status);
}

// The printer signalled readiness and no step of ours is running.
bool readyForStep(Session& session) {
    Guard lock(session.stateLock);
    return (session.stateFlags & (state::SelfTestReady | state::SelfTestRunning)) == state::SelfTestReady;
}

// Waits until the printer is ready for the step: 0, or 23 for an error status or no readiness
// in time.
Result awaitReadiness(Session& session) {
    bool error = false;
    const bool ended = waitUntil(kSelfTestReadyLimitMs, kEdgeLookMs, [&] {
        if (readyForStep(session)) return true;
        error = cachedStatusShowsError(session);
        return error;
    });
    return ended && !error ? kSuccess : kSelfTestError;
}

// The paper event a step marks, and the removal watch it asks for. A step that does not end
// well takes them back: nobody waits for that page's confirmation any more, and a later
// movement must not be confirmed against it.
class PaperEventMark {
public:
    PaperEventMark(Session& session, const SelfTestStep& step) : session_(session), step_(step) {}
    ~PaperEventMark() {
        if (marked_ && !kept_) {
            Guard lock(session_.stateLock);
            session_.eventFlags &= ~step_.paperEvent;
            if (step_.waitsForRemoval) session_.stateFlags &= ~state::WatchPaperRemoval;
        }
    }
    PaperEventMark(const PaperEventMark&) = delete;
    PaperEventMark& operator=(const PaperEventMark&) = delete;

    // Also forgets movement edges seen before the request: a page that has not been asked for
    // cannot have left, and the step must not end on another page's edge.
    void mark() {
        Guard lock(session_.stateLock);
        session_.stateFlags &= ~(state::Byte0Bit6Rose | state::Byte0Bit6Fell);
        session_.eventFlags |= step_.paperEvent;
        if (step_.paperEvent == event::PendingPresent) {
            if (step_.waitsForRemoval) {
                session_.stateFlags |= state::WatchPaperRemoval;
            } else {
                session_.stateFlags &= ~state::WatchPaperRemoval;
            }
        }
        marked_ = true;
    }
    void keep() { kept_ = true; }

private:
    Session& session_;
    const SelfTestStep& step_;
    bool marked_ = false;
    bool kept_ = false;
};

// Paper left the exit (and, for the removal step, the watcher saw the page taken): 0; 23 for an
// error status or no end in time.
Result awaitPaperStepEnd(Session& session, const SelfTestStep& step) {
    bool left = false;
    bool error = false;
    const bool ended = waitUntil(kSelfTestStepLimitMs, kEdgeLookMs, [&] {
        StatusRecord status{};
        bool watcherDone = false;
        {
            Guard lock(session.stateLock);
            left = left || (session.stateFlags & state::Byte0Bit6Fell) != 0;
            watcherDone = (session.stateFlags & state::WatcherDone) != 0;
            status = session.status;
        }
        if (left && (!step.waitsForRemoval || watcherDone)) return true;
        error = showsError(status);
        return error;
    });
    return ended && !error ? kSuccess : kSelfTestError;
}

Result runPaperStep(Session& session, const SelfTestStep& step, const SelfTestRequest& request) {
    TransferFile file;
    if (step.sendsData) {
        if (request.data == nullptr) return kInvalidParameter;
        const Result code = handOffFile(session, request.data, request.length, value::SelfTestInputName,
                                        value::SelfTestInputSize, SizeValueForm::Binary2, file);
        if (code != kSuccess) return code;
    }
    if (const Result code = awaitReadiness(session); code != kSuccess) return code;
    PaperEventMark mark(session, step);
    mark.mark();
    if (const Result code = requestCommand(session, value::PerformSelfTest); code != kSuccess) return code;
    setStateFlags(session, state::SelfTestRunning);
    if (const Result code = awaitPaperStepEnd(session, step); code != kSuccess) return code;
    platform::system().sleep(kSettleMs);
    if (cachedStatusShowsError(session)) return kSelfTestError;
    mark.keep();
    return kSuccess;
}

// Parks the monitor for the request and the run of a timed step; lets it go once, on every end.
class ParkedMonitor {
public:
    explicit ParkedMonitor(Session& session) : session_(session) {}
    ~ParkedMonitor() { resume(); }
    ParkedMonitor(const ParkedMonitor&) = delete;
    ParkedMonitor& operator=(const ParkedMonitor&) = delete;

    Result park() {
        const Result code = PauseMonitor(session_);
        parked_ = code == kSuccess;
        return code;
    }
    Result resume() {
        if (!parked_) return kSuccess;
        parked_ = false;
        return ResumeMonitor(session_);
    }

private:
    Session& session_;
    bool parked_ = false;
};

Result runTimedStep(Session& session, const SelfTestStep& step) {
    if (const Result code = awaitReadiness(session); code != kSuccess) return code;
    ParkedMonitor monitor(session);
    if (const Result code = monitor.park(); code != kSuccess) return code;
    if (const Result code = requestCommand(session, value::PerformSelfTest); code != kSuccess) return code;
    setStateFlags(session, state::SelfTestRunning);
    platform::system().sleep(step.fixedWaitMs);
    if (monitor.resume() != kSuccess) return kFailure;
    StatusRecord status{};
    Result code = kSuccess;
    if (!ReadStatus(session, status, code)) return code;
    return showsError(status) ? kSelfTestError : kSuccess;
}

}  // namespace

const SelfTestStep& selfTestStep(uint8_t number) { return kSteps[number - 1]; }

Result RunSelfTestStep(Session& session, const SelfTestStep& step, const SelfTestRequest& request) {
    const Result code = step.paper ? runPaperStep(session, step, request) : runTimedStep(session, step);
    clearSelfTestFlags(session, kSelfTestStepMask);
    return code;
}

}  // namespace rvs
