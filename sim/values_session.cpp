// What open asks the driver, and the close request.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addSessionValues(ValueTable& table) {
    table.add(u"Open", {.initial = answerZeros(5)});
    table.add(u"TimeInterval", {.initial = answerDword(50)});
    table.add(u"GetPrinterVersion", {.initial = [](const Profile& p) {
                                         return binary({static_cast<uint8_t>(p.firmwareVersion),
                                                        static_cast<uint8_t>(p.firmwareVersion >> 8), p.model, 0});
                                     }});
    // The model word tells an OXA ST (1) from a Korvelin FO (0).
    table.add(u"GetPrinterModel", {.initial = [](const Profile& p) {
                                       return binary({static_cast<uint8_t>(p.isOxaSt() ? 1 : 0), 0});
                                   }});
    table.add(u"GetThresholdForLastPage", {.initial = answerBytes({69, 0, 0, 0})});
    // Written back by the library at close.
    table.add(u"TotalFeedingValue", {.answer = [](const DriverState& d) { return dword(d.totalFeedingValue); },
                                     .onWrite = [](DriverState& d, const std::vector<uint8_t>& written) {
                                         d.totalFeedingValue = readDword(written);
                                     }});
    for (const char16_t* name : {u"CheckMultiplePagePrinting", u"DivisionPrintingON", u"DivisionPrintingOFF", u"Close"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
