// Transmit and receive, the print-job bracket, consecutive printing and the feeding value.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addPrintValues(ValueTable& table) {
    table.add(u"GetFeedingValue", {.initial = answerZeros(4)});
    table.add(u"GetPrinterStatus", {.initial = answerZeros(2)});
    // One-byte commands: 0 is carried out.
    for (const char16_t* name : {u"ConsecutivePrintEnable", u"ConsecutivePrintDisable", u"StartPrinting",
                                 u"EndPrinting", u"TxRx_No_Response"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
