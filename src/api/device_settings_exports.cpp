// Configuration, panel LEDs, print enable with the OXA print time-out, purge and version.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "device/configuration_probes.h"
#include "device/panel_leds.h"
#include "device/print_enable.h"
#include "device/purge.h"
#include "device/version_block.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

constexpr Frame kGetPrinterConfiguration{.function = fn::kGetPrinterConfiguration, .steps = {.readiness = true}};
// The LEDs sit on the OXA device on the OXA ST; their own checks follow its selection.
constexpr Frame kPanelLedControl{.function = fn::kPanelLedControl, .steps = {.selectOxa = true}};
// The print-enable calls and the version report end every call with the error return line,
// carrying 0 on success, as hosts reading the trace expect of them.
constexpr Frame kPrintEnable{.function = fn::kPrintEnable, .ending = Ending::ErrorLineAlways};
constexpr Frame kPrintEnableEx{.function = fn::kPrintEnableEx, .ending = Ending::ErrorLineAlways};
constexpr Frame kGetDllVersion{.function = fn::kGetDllVersion, .ending = Ending::ErrorLineAlways};
// The purge lets a paper-removed watcher finish before it parks the monitor.
constexpr Frame kPurgeData{.function = fn::kPurgeData, .steps = {.handshake = true}};
constexpr Frame kSetOXAPrintTimeOut{.function = fn::kSetOXAPrintTimeOut};

bool isOxaSt(Session& session) {
    Guard lock(session.stateLock);
    return session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt);
}

// A non-zero time-out is the host's; zero takes the driver's.
Result settleOxaPrintTimeOut(Session& session, uint8_t minutes) {
    if (minutes == 0) return RefreshOxaPrintTimeOut(session);
    session.oxaPrintTimeOut = minutes;
    return kSuccess;
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterConfiguration(RvStatementHandle handle,
                                                                      uint8_t* configuration) {
    return runExport(kGetPrinterConfiguration, handle, [&](Session&) { return required(configuration); },
                     [&](Call& call) {
                         ConfigurationRecord record{};
                         if (const Result code = ReadConfiguration(call.session, record); code != kSuccess) return code;
                         std::copy(record.begin(), record.end(), configuration);
                         TraceDump(&call.session, traceid::Output, record.data(), record.size(), "Get Config:");
                         return kSuccess;
                     });
}

RvStatementResult RVSTATEMENT_CALL RvStatementPanelLedControl(RvStatementHandle handle, uint8_t redMode,
                                                              uint8_t greenMode, uint8_t yellowMode, uint8_t redOn,
                                                              uint8_t redOff, uint8_t greenOn, uint8_t greenOff,
                                                              uint8_t yellowOn, uint8_t yellowOff) {
    const PanelLeds leds{{redMode, redOn, redOff}, {greenMode, greenOn, greenOff}, {yellowMode, yellowOn, yellowOff}};
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input,
                  "Red (Mode:%d On:%d Off:%d) Green(Mode:%d On:%d Off:%d) Yellow(Mode:%d On:%d Off:%d)\n", redMode,
                  redOn, redOff, greenMode, greenOn, greenOff, yellowMode, yellowOn, yellowOff);
        return kSuccess;
    };
    return runExport(kPanelLedControl, handle, entry, [&](Call& call) {
        if (!panelLedsValid(leds)) return kInvalidParameter;
        if (const Result code = CheckPanelReady(call.session); code != kSuccess) return code;
        return SetPanelLeds(call.session, leds);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnable(RvStatementHandle handle, uint8_t enable) {
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input, "Enable:%d\n", enable);
        return kSuccess;
    };
    return runExport(kPrintEnable, handle, entry, [&](Call& call) {
        if (const Result code = SendPrintEnable(call.session, enable); code != kSuccess) return code;
        // Only the OXA ST has a print time-out; the enable may have changed the driver's.
        return isOxaSt(call.session) ? RefreshOxaPrintTimeOut(call.session) : kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementPrintEnableEx(RvStatementHandle handle, uint8_t enable,
                                                            uint8_t timeOutMinutes) {
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input, "Enable:%d\n", enable);
        TraceLine(&s, traceid::Input, "TimeOut:%d\n", timeOutMinutes);
        return kSuccess;
    };
    return runExport(kPrintEnableEx, handle, entry, [&](Call& call) {
        if (const Result code = SendPrintEnable(call.session, enable); code != kSuccess) return code;
        return settleOxaPrintTimeOut(call.session, timeOutMinutes);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementPurgeData(RvStatementHandle handle) {
    return runExport(kPurgeData, handle, noEntry, [&](Call& call) {
        // The cached status: asking the printer would need the monitor parked first.
        if (cachedStatusNotReady(call.session)) return kNotReady;
        MonitorPause pause(call.session);
        if (const Result code = pause.pause(); code != kSuccess) return code;
        if (const Result code = PurgeAndCheck(call.session); code != kSuccess) return code;
        return pause.resume();
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetDllVersion(RvStatementHandle handle, uint8_t* version) {
    return runExport(kGetDllVersion, handle, [&](Session&) { return required(version); }, [&](Call& call) {
        const VersionBlock block = buildVersionBlock(call.session.driverVersion);
        std::copy(block.begin(), block.end(), version);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAPrintTimeOut(RvStatementHandle handle, uint8_t timeOutMinutes) {
    return runExport(kSetOXAPrintTimeOut, handle, noEntry, [&](Call& call) {
        // Other models have no OXA device: nothing to set, and nothing wrong.
        if (!isOxaSt(call.session)) return kSuccess;
        if (timeOutMinutes == 0) return kInvalidParameter;
        // The session keeps its time-out until a print enable or a device selection reads it back.
        return WriteOxaPrintTimeOut(call.session, timeOutMinutes);
    });
}

}  // extern "C"
