#include "monitor/monitor_control.h"

#include "monitor/monitor.h"
#include "monitor/status_checks.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"

namespace rvs {
namespace {

// Bounds for waits the design leaves open: a watcher ends its wait within one look once it sees
// a command, and a monitor cycle lasts its exchanges and callbacks. A driver that hangs inside
// the watcher's exchange must not hang the command for good; 10 s is far beyond one look.
constexpr uint32_t kHandshakeLimitMs = 10000;
constexpr uint32_t kPauseLimitMs = 60000;
constexpr uint32_t kPauseLookMs = 1;

}  // namespace

bool onMonitorThread(Session& session) {
    const uint32_t monitorId = session.monitorThreadId.load();
    return monitorId != 0 && platform::system().currentThreadId() == monitorId;
}

void CommandHandshake(Session& session) {
    {
        Guard lock(session.stateLock);
        session.stateFlags |= state::CommandPending;
    }
    // From a host callback on the monitor thread a running watcher sits below us on this very
    // stack: waiting for it would never end.
    if (onMonitorThread(session)) {
        return;
    }
    waitUntil(kHandshakeLimitMs, 0, [&] {
        Guard lock(session.stateLock);
        return (session.stateFlags & state::WatcherRunning) == 0 || (session.stateFlags & state::WatcherDone) != 0;
    });
}

// The monitor is kept off the printer by holding cycleLock, which it holds for each whole
// cycle: it is therefore parked between cycles, never inside an exchange or holding stateLock.
// A paper-removed watcher inside a cycle ends its wait when it sees the pause request.
Result PauseMonitor(Session& session) {
    {
        Guard lock(session.stateLock);
        ++session.pauseRequests;
    }
    if (waitUntil(kPauseLimitMs, kPauseLookMs, [&] { return session.cycleLock.try_lock(); })) {
        return kSuccess;
    }
    Guard lock(session.stateLock);
    --session.pauseRequests;
    return kFailure;
}

// Releases the cycleLock a successful PauseMonitor left held: a hand-over the analysis cannot follow.
Result ResumeMonitor(Session& session) RVS_NO_THREAD_SAFETY_ANALYSIS {
    session.cycleLock.unlock();
    Guard lock(session.stateLock);
    --session.pauseRequests;
    return kSuccess;
}

Result CheckReadiness(Session& session, StatusRecord& status) {
    return readAndCheckStatus(session, {StatusCheck::NotReady, StatusCheck::SimpleError}, status);
}

}  // namespace rvs
