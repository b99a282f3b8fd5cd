#include "media/transmit.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "channel/channel.h"
#include "channel/value_names.h"
#include "media/edge_wait.h"
#include "monitor/status_checks.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"

namespace rvs {
namespace {

// The design gives the wait for the job's start no limit; a printer that never starts printing
// must not hold the host for good. As long as the busy phase of the wait for the job's end.
constexpr uint32_t kJobStartLimitMs = 30000;

struct FreeBlock {
    void operator()(uint8_t* block) const { std::free(block); }
};

Result exchangeWithAnswer(Session& session, const TxRxArguments& arguments) {
    const uint32_t size = arguments.rxCount;
    Result code = writeInput(session, value::TxRxInputRxSize, platform::kRegDword, &size, sizeof size);
    if (code == kSuccess) {
        code = writeInput(session, value::TxRxInputTimeOut, platform::kRegDword, &arguments.timeOut,
                          sizeof arguments.timeOut);
    }
    if (code != kSuccess) {
        return code;
    }
    // Zero-filled by the allocator, not written here: a size far beyond the driver's answer
    // takes no memory the driver does not fill.
    const std::unique_ptr<uint8_t, FreeBlock> answer(static_cast<uint8_t*>(std::calloc(size, 1)));
    if (!answer) {
        return kFailure;
    }
    code = requestRecord(session, value::TxRx, answer.get(), size);
    if (code == kSuccess) {
        std::copy(answer.get(), answer.get() + size, arguments.rxData);
    }
    return code;
}

// True once the monitor saw status byte 0 bit 5 rise; false on the limit or when the monitor
// stops, which would never raise it.
bool awaitJobStart(Session& session) {
    bool started = false;
    waitUntil(kJobStartLimitMs, kEdgeLookMs, [&] {
        Guard lock(session.stateLock);
        started = (session.stateFlags & state::Byte0Bit5Rose) != 0;
        return started || (session.stateFlags & state::StopMonitor) != 0;
    });
    return started;
}

Result sendPrintJob(Session& session) {
    Result code = requestCommand(session, value::StartPrinting);
    if (code != kSuccess) {
        return code;
    }
    bool jobOpen = true;
    code = awaitJobStart(session) ? kSuccess : timeoutVerdict(session);
    if (code == kSuccess) {
        code = requestCommand(session, value::TxRxNoResponse);
    }
    if (code == kSuccess) {
        code = requestCommand(session, value::EndPrinting);
        jobOpen = code != kSuccess;
    }
    if (jobOpen) {
        requestCommand(session, value::EndPrinting);  // the job is closed whatever it answers
    }
    return code;
}

}  // namespace

Result checkTxRxArguments(const TxRxArguments& arguments) {
    if (arguments.txData == nullptr || arguments.txSize == 0) {
        return kInvalidParameter;
    }
    if (arguments.answerExpected() && arguments.rxData == nullptr) {
        return kInvalidParameter;
    }
    return kSuccess;
}

Result Transmit(Session& session, const TxRxArguments& arguments, TxRxForm form) {
    clearStateFlags(session, state::Byte0Bit5Rose | state::Byte0Bit5Fell);
    TransferFile file;
    Result code = handOffFile(session, arguments.txData, arguments.txSize, value::TxRxInputTxName,
                              value::TxRxInputTxSize, SizeValueForm::Dword4, file);
    if (code != kSuccess) {
        return code;
    }
    if (arguments.answerExpected()) {
        code = exchangeWithAnswer(session, arguments);
    } else if (form == TxRxForm::PrintJob) {
        code = sendPrintJob(session);
    } else {
        code = requestCommand(session, value::TxRxNoResponse);
    }
    // Deleted once: by a later failure the name may already belong to another job.
    file.remove();
    if (code != kSuccess || form == TxRxForm::Plain) {
        return code;
    }
    return AwaitJobCompletion(session);
}

}  // namespace rvs
