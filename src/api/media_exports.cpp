// Paper movements, cut, transport, reset and error recovery.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "channel/print_control.h"
#include "media/paper_command.h"
#include "media/reset_recover.h"
#include "monitor/status_checks.h"
#include "media/transport.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// The paper commands wait for edges only the monitor thread raises: from a host callback on
// that thread they could never see them.
constexpr FrameSteps kPaperSteps{.refuseMonitorThread = true, .selectOxa = true, .handshake = true, .readiness = true};
constexpr Frame kPresent{.function = fn::kPresent, .steps = kPaperSteps};
constexpr Frame kEject{.function = fn::kEject, .steps = kPaperSteps};
constexpr Frame kRetract{.function = fn::kRetract, .steps = kPaperSteps};
// A failed cut lets the OXA device go.
constexpr Frame kCut{.function = fn::kCut,
                     .steps = {.refuseMonitorThread = true,
                               .selectOxa = true,
                               .handshake = true,
                               .readiness = true,
                               .oxaAfterFailure = OxaAfterFailure::Released}};
constexpr Frame kPerformPaperChange{.function = fn::kPerformPaperChange, .steps = kPaperSteps};
// A mode out of range ends the call after its input line, with no other line. The OXA device
// selection is the body's: a failed one still leaves through Transport's failure exit. The
// handshake and the status checks are Transport's own: they come after its configuration read.
constexpr Frame kTransport{.function = fn::kTransport,
                           .steps = {.refuseMonitorThread = true},
                           .bareEntryFailure = true};
// Reset keeps the monitor parked and waits for the status itself; the readiness test is on the
// cached status.
constexpr Frame kReset{.function = fn::kReset,
                       .steps = {.refuseMonitorThread = true, .selectOxa = true, .handshake = true}};
// Recovery exists to clear an error: its fresh status read tests readiness only.
constexpr Frame kRecoverError{.function = fn::kRecoverError, .steps = {.selectOxa = true, .handshake = true}};

Result runPaperCommand(const Frame& frame, RvStatementHandle handle, const PaperCommand& command) {
    return runExport(frame, handle, noEntry, [&](Call& call) { return RunPaperCommand(call.session, command); });
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementPresent(RvStatementHandle handle) {
    return runPaperCommand(kPresent, handle, kPresentCommand);
}

RvStatementResult RVSTATEMENT_CALL RvStatementEject(RvStatementHandle handle) {
    return runPaperCommand(kEject, handle, kEjectCommand);
}

RvStatementResult RVSTATEMENT_CALL RvStatementRetract(RvStatementHandle handle) {
    return runPaperCommand(kRetract, handle, kRetractCommand);
}

RvStatementResult RVSTATEMENT_CALL RvStatementCut(RvStatementHandle handle) {
    return runPaperCommand(kCut, handle, kCutCommand);
}

RvStatementResult RVSTATEMENT_CALL RvStatementPerformPaperChange(RvStatementHandle handle) {
    return runPaperCommand(kPerformPaperChange, handle, kPaperChangeCommand);
}

RvStatementResult RVSTATEMENT_CALL RvStatementTransport(RvStatementHandle handle, uint8_t mode) {
    auto entry = [&](Session& session) {
        TraceLine(&session, traceid::Input, "Transport:%d\n", mode);
        return validTransportMode(mode) ? kSuccess : kInvalidParameter;
    };
    return runExport(kTransport, handle, entry,
                     [&](Call& call) { return RunTransport(call.session, mode, call.selectOxa()); });
}

RvStatementResult RVSTATEMENT_CALL RvStatementReset(RvStatementHandle handle) {
    return runExport(kReset, handle, noEntry, [&](Call& call) {
        Session& session = call.session;
        if (const Result code = checkCachedReadiness(session); code != kSuccess) return code;
        // The monitor stays out of its cycle from before the request until the status is back.
        MonitorPause pause(session);
        if (const Result code = pause.pause(); code != kSuccess) return code;
        if (const Result code = ResetPrinter(session); code != kSuccess) return code;
        pause.resume();
        // The printer has been reset: the OXA device goes even if consecutive printing stays off.
        const Result code = SetConsecutivePrint(session, true);
        if (code != kSuccess) call.releaseOxa();
        return code;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementRecoverError(RvStatementHandle handle) {
    return runExport(kRecoverError, handle, noEntry, [&](Call& call) {
        Session& session = call.session;
        if (const Result code = readAndCheckStatus(session, {StatusCheck::NotReady}); code != kSuccess) return code;
        MonitorPause pause(session);
        if (const Result code = pause.pause(); code != kSuccess) return code;
        if (const Result code = RecoverPrinter(session); code != kSuccess) return code;
        if (const Result code = pause.resume(); code != kSuccess) return code;
        return SetConsecutivePrint(session, true);
    });
}

}  // extern "C"
