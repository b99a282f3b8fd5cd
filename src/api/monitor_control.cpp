#include "api/call_frame.h"
#include "platform/platform.h"

namespace rvs {
namespace {

// Bounds for waits the design leaves open: a watcher ends its wait within one look once it sees
// a command, and a monitor cycle lasts its exchanges and callbacks.
constexpr uint32_t kHandshakeLimitMs = 10000;
constexpr uint32_t kPauseLimitMs = 60000;

}  // namespace

bool onMonitorThread(Session& session) {
    const uint32_t monitorId = session.monitorThreadId.load();
    return monitorId != 0 && platform::system().currentThreadId() == monitorId;
}

void CommandHandshake(Session& session) {
    platform::System& sys = platform::system();
    std::unique_lock<Lock> lock(session.stateLock);
    session.stateFlags |= state::CommandPending;
    // From a host callback on the monitor thread a running watcher sits below us on this very
    // stack: waiting for it would never end.
    if (onMonitorThread(session)) {
        return;
    }
    const uint32_t start = sys.tickCount();
    while ((session.stateFlags & state::WatcherRunning) != 0 && (session.stateFlags & state::WatcherDone) == 0) {
        if (sys.tickCount() - start > kHandshakeLimitMs) {
            return;
        }
        lock.unlock();
        sys.sleep(0);
        lock.lock();
    }
}

// The monitor is kept off the printer by holding cycleLock, which it holds for each whole
// cycle: it is therefore parked between cycles, never inside an exchange or holding stateLock.
// A paper-removed watcher inside a cycle ends its wait when it sees the pause request.
Result PauseMonitor(Session& session) {
    platform::System& sys = platform::system();
    {
        Guard lock(session.stateLock);
        ++session.pauseRequests;
    }
    const uint32_t start = sys.tickCount();
    while (!session.cycleLock.try_lock()) {
        if (sys.tickCount() - start > kPauseLimitMs) {
            Guard lock(session.stateLock);
            --session.pauseRequests;
            return kFailure;
        }
        sys.sleep(1);
    }
    return kSuccess;
}

Result ResumeMonitor(Session& session) {
    session.cycleLock.unlock();
    Guard lock(session.stateLock);
    --session.pauseRequests;
    return kSuccess;
}

}  // namespace rvs
