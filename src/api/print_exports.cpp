// Transmit and receive: print data and printer commands in the printer's own language.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "channel/print_control.h"
#include "media/edge_wait.h"
#include "monitor/status_checks.h"
#include "media/transmit.h"
#include "trace/function_numbers.h"

using namespace rvs;

namespace {

// The data is checked once the OXA device is selected, before the command announces itself.
// TxRx waits for the job's start edge, which only the monitor thread raises.
constexpr Frame kTxRx{.function = fn::kTxRx,
                      .steps = {.refuseMonitorThread = true, .selectOxa = true, .handshake = true, .readiness = true},
                      .entryAfterSelection = true};
constexpr Frame kTxRxEx{.function = fn::kTxRxEx,
                        .steps = {.selectOxa = true, .handshake = true, .readiness = true},
                        .entryAfterSelection = true};

constexpr uint32_t kJobEdges = state::Byte0Bit5Rose | state::Byte0Bit5Fell;

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementTxRx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                   const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut) {
    TxRxArguments arguments{txSize, txData, 0, rxData, timeOut};
    auto entry = [&](Session&) {
        arguments.rxCount = answerCount(rxSize);
        return checkTxRxArguments(arguments);
    };
    return runExport(kTxRx, handle, entry, [&](Call& call) {
        Session& session = call.session;
        StateFlagsClearedOnExit jobEdges(session, kJobEdges);
        if (const Result code = Transmit(session, arguments, TxRxForm::PrintJob); code != kSuccess) return code;
        if (const Result code = call.releaseOxa(); code != kSuccess) return code;
        if (const Result code = readAndCheckStatus(session, {StatusCheck::Paper, StatusCheck::SimpleError});
            code != kSuccess) {
            return code;
        }
        return SetConsecutivePrint(session, false);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementTxRxEx(RvStatementHandle handle, uint32_t txSize, const uint8_t* txData,
                                                     const uint32_t* rxSize, uint8_t* rxData, uint32_t timeOut) {
    TxRxArguments arguments{txSize, txData, 0, rxData, timeOut};
    auto entry = [&](Session&) {
        arguments.rxCount = answerCount(rxSize);
        return checkTxRxArguments(arguments);
    };
    return runExport(kTxRxEx, handle, entry, [&](Call& call) {
        Session& session = call.session;
        StateFlagsClearedOnExit jobEdges(session, kJobEdges);
        Result code = Transmit(session, arguments, TxRxForm::Plain);
        if (code == kSuccess) code = call.releaseOxa();
        if (code == kSuccess) code = SetConsecutivePrint(session, false);
        if (code == kSuccess) jobEdges.keep();  // only a failure clears them here
        return code;
    });
}

}  // extern "C"
