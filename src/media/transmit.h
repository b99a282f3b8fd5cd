// Transmit and receive: raw printer data to the driver through a transfer file, with the
// print-job bracket and the wait for the job's end, or as a plain exchange.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

struct TxRxArguments {
    uint32_t txSize = 0;
    const uint8_t* txData = nullptr;
    uint32_t rxCount = 0;  // the host's *rxSize, read once; 0 (or no rxSize): no answer expected
    uint8_t* rxData = nullptr;
    uint32_t timeOut = 0;  // the driver's unit, passed on only with an expected answer

    bool answerExpected() const { return rxCount != 0; }
};

// The expected answer size, read once from the host's rxSize, which is never written.
inline uint32_t answerCount(const uint32_t* rxSize) { return rxSize != nullptr ? *rxSize : 0; }

enum class TxRxForm {
    PrintJob,  // without an answer: "StartPrinting" ... "EndPrinting", then the wait for the job's end
    Plain,     // no bracket, no wait
};

// 9 for no data, and for an expected answer without a buffer to take it.
Result checkTxRxArguments(const TxRxArguments& arguments);

// Hands the data off and makes the exchange of `form`, then deletes the transfer file; for a
// print job also waits for the printer to finish. Clears the status byte 0 bit 5 edges first. A
// job that "StartPrinting" opened is always closed with "EndPrinting".
Result Transmit(Session& session, const TxRxArguments& arguments, TxRxForm form);

// The job's end: "GetPrinterStatus" until its job bit clears, at most 30 s while the printer
// reports busy and 60 s while it does not, the clock restarting when that changes. A time-out
// writes the print warning line and gives the time-out verdict.
Result AwaitJobCompletion(Session& session);

}  // namespace rvs
