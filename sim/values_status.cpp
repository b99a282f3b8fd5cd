// Status records and sensors, polled by the monitor thread and the status queries.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addStatusValues(ValueTable& table) {
    table.add(u"StatusGet", {.answer = [](const DriverState& d) {
                                 return binary({d.status.begin(), d.status.end()});
                             }});
    // Only the OXA ST carries the OXA device.
    table.add(u"OXAGetStatus", {.answer = [](const DriverState& d) -> std::optional<Answer> {
                                    if (!d.profile().isOxaSt()) {
                                        return std::nullopt;
                                    }
                                    return binary({d.oxaStatus.begin(), d.oxaStatus.end()});
                                }});
    // One byte each: 0 is nothing to report.
    for (const char16_t* name : {u"GetTransport", u"PaperRemoved", u"GetRetractedCount"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
    table.add(u"GetSensor", {.initial = answerZeros(2)});
    table.add(u"GetOXASensorStatus", {.initial = answerZeros(8)});
}

}  // namespace rvs::sim
