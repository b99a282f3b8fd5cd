// Transmit and receive, the print-job bracket, consecutive printing and the feeding value.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {
namespace {

// What a one-byte command does when the driver carried it out (answered 0).
std::function<void(DriverState&, const Answer&)> whenAccepted(void (*action)(DriverState&)) {
    return [action](DriverState& d, const Answer& given) {
        if (given.bytes == std::vector<uint8_t>{0}) {
            action(d);
        }
    };
}

// The job is open at once; the printer starts printing a moment later.
void startJob(DriverState& d) {
    d.paper.statusWord = {0x00, 0x01};
    if (!d.paper.behaviour.jobStarts) {
        return;
    }
    afterTime(d, d.profile().timings.startMs, [](DriverState& s) {
        s.setStatusBit(0, statusbit::PaperFed | statusbit::Printing, true);
        s.paper.statusWord = {0x20, 0x01};
    });
}

// Printing goes on for a while, then the job winds down: not busy, then no job.
void endJob(DriverState& d) {
    if (!d.paper.behaviour.jobEnds) {
        return;
    }
    afterSeen(d, d.profile().timings.jobMs, [](DriverState& s) {
        s.setStatusBit(0, statusbit::Printing, false);
        s.paper.statusWord = {0x00, 0x01};
        afterSeen(s, s.profile().timings.startMs, [](DriverState& s2) { s2.paper.statusWord = {0x00, 0x00}; });
    });
}

void receiveData(DriverState& d) { receiveTransferFile(d, u"TxRx_Input_Tx_Name"); }

}  // namespace

void addPrintValues(ValueTable& table) {
    table.add(u"GetFeedingValue", {.answer = [](const DriverState& d) {
                                       Answer answer = dword(d.paper.feedingValue);
                                       answer.type = platform::kRegBinary;
                                       return answer;
                                   }});
    table.add(u"GetPrinterStatus", {.answer = [](const DriverState& d) {
                                        return binary({d.paper.statusWord.begin(), d.paper.statusWord.end()});
                                    }});
    // One-byte commands: 0 is carried out.
    for (const char16_t* name : {u"ConsecutivePrintEnable", u"ConsecutivePrintDisable"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
    table.add(u"StartPrinting", {.initial = answerZeros(1), .onRequest = whenAccepted(startJob)});
    // The driver reads the transfer file during the request that names it.
    table.add(u"TxRx_No_Response", {.initial = answerZeros(1), .onRequest = whenAccepted(receiveData)});
    table.add(u"EndPrinting", {.initial = answerZeros(1), .onRequest = whenAccepted(endJob)});
    // The printer's reply, cut or padded to the size the library asked for.
    table.add(u"TxRx", {.answer = [](const DriverState& d) {
                            std::vector<uint8_t> reply = d.paper.behaviour.reply;
                            reply.resize(readDword(d.input(u"TxRx_Input_Rx_Size").value_or(std::vector<uint8_t>{})));
                            return binary(std::move(reply));
                        },
                        .onRequest = [](DriverState& d, const Answer&) { receiveData(d); }});
}

}  // namespace rvs::sim
