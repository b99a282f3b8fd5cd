#include "api/call_frame.h"
#include "api/open_close.h"
#include "channel/channel.h"
#include "channel/print_control.h"
#include "channel/value_names.h"
#include "device/configuration_probes.h"
#include "monitor/monitor.h"
#include "platform/platform.h"
#include "session/registry.h"

namespace rvs {
namespace {

constexpr uint32_t kPurgeSettleMs = 3000;

// A job the printer still holds is purged with the monitor parked.
Result purgeHeldJob(Session& session) {
    Result busyCode = kSuccess;
    if (!CheckPrinterBusy(session, busyCode)) {
        return kSuccess;  // also when the status word cannot be read
    }
    MonitorPause pause(session);
    if (pause.pause() != kSuccess) {
        return kFailure;
    }
    uint8_t answer = 0;
    readValue(session, value::PurgeData, &answer, 1);
    platform::system().sleep(kPurgeSettleMs);
    return pause.resume();
}

}  // namespace

Result closeSession(Session& session) {
    uint16_t firmware = 0;
    uint8_t model = 0;
    uint32_t total = 0;
    {
        Guard lock(session.stateLock);
        firmware = session.firmwareVersion;
        model = session.printerModel;
        total = session.totalFeedingValue;
    }
    if (usesDriverFeeding(firmware, model)) {
        if (writeInput(session, value::TotalFeedingValue, platform::kRegDword, &total, sizeof total) != kSuccess) {
            return kInvalidParameter;
        }
    }
    // On the monitor thread, or from a callback inside another call on this session (Reset's),
    // the stop would wait for this very thread.
    if (onMonitorThread(session) || insideOuterCall(session)) {
        return kInvalidParameter;
    }
    if (purgeHeldJob(session) != kSuccess) {
        return kFailure;
    }
    stopMonitor(session);
    uint8_t answer = 0;
    readValue(session, value::Close, &answer, 1);

    unregisterSession(&session);
    session.magic = 0;
    return kSuccess;
}

}  // namespace rvs
