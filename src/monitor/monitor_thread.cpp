#include "channel/print_control.h"
#include "monitor/monitor.h"
#include "monitor/status_poll.h"
#include "monitor/sliced_sleep.h"
#include "monitor/status_record.h"
#include "platform/platform.h"

namespace rvs {
namespace {

void OxaPrintTimerCheck(Session& session) {
    {
        Guard lock(session.stateLock);
        if (session.oxaTimerRunning == 0 || session.oxaTimeOutFired != 0) {
            return;
        }
        const uint32_t elapsedMinutes = (platform::system().tickCount() - session.oxaTimerStart) / 1000 / 60;
        if (elapsedMinutes < session.oxaPrintTimeOut) {
            return;
        }
    }
    InternalPurge(session);
    Guard lock(session.stateLock);
    session.oxaTimeOutFired = 1;
}

bool stopRequested(Session& session) {
    Guard lock(session.stateLock);
    return (session.stateFlags & state::StopMonitor) != 0;
}

// One poll cycle under cycleLock; true when the monitor is to stop. The model is read every
// cycle, since a printer configuration change may switch it while the monitor runs.
bool runCycle(Session& session) {
    Guard cycle(session.cycleLock);
    bool oxa = false;
    {
        Guard lock(session.stateLock);
        oxa = session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt);
    }
    OxaPrintTimerCheck(session);
    if (oxa) {
        PollOxaStatus(session, &session.oxaStatus, PollMode::Monitor);
    }
    PollStatus(session, &session.status, PollMode::Monitor);
    Guard lock(session.stateLock);
    ++session.cycleCount;
    if ((session.stateFlags & state::StopMonitor) != 0) {
        return true;
    }
    session.oxaTimeOutFired = 0;
    return false;
}

}  // namespace

void StatusMonitorThread(Session& session) {
    uint32_t interval = session.statusInterval;
    for (;;) {
        try {
            if (runCycle(session)) {
                return;
            }
        } catch (...) {
            // Out of memory in a trace line, a directory that cannot be read: this cycle is
            // lost, the host process and the next cycle are not.
        }
        if (!sleepUnless(interval, [&] { return stopRequested(session); })) {
            return;
        }
    }
}

Result startMonitor(Session& session) {
    std::unique_ptr<platform::Thread> thread =
        platform::system().startThread([&session] { StatusMonitorThread(session); });
    if (!thread) {
        return kFailure;
    }
    session.monitorThreadId = thread->id();
    const bool raised = thread->raiseToTimeCritical();
    session.monitorThread = std::move(thread);
    return raised ? kSuccess : kFailure;
}

void stopMonitor(Session& session) {
    if (!session.monitorThread) {
        return;
    }
    {
        Guard lock(session.stateLock);
        session.stateFlags |= state::StopMonitor;
    }
    session.monitorThread->join();
    session.monitorThread.reset();
}

}  // namespace rvs
