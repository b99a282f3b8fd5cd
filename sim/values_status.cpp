// Status records and sensors, polled by the monitor thread and the status queries.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addStatusValues(ValueTable& table) {
    // Unanswered while the printer restarts after "Reset".
    table.add(u"StatusGet", {.answer = [](const DriverState& d) -> std::optional<Answer> {
                                 if (d.paper.resetting) {
                                     return std::nullopt;
                                 }
                                 return binary({d.status.begin(), d.status.end()});
                             }});
    // Only the OXA ST carries the OXA device.
    table.add(u"OXAGetStatus", {.answer = [](const DriverState& d) -> std::optional<Answer> {
                                    if (!d.profile().isOxaSt()) {
                                        return std::nullopt;
                                    }
                                    return binary({d.oxaStatus.begin(), d.oxaStatus.end()});
                                }});
    // One byte each, from the paper path: 0 is nothing to report.
    table.add(u"GetTransport", {.answer = [](const DriverState& d) { return binary({d.paper.transport}); }});
    table.add(u"PaperRemoved", {.answer = [](const DriverState& d) { return binary({d.paper.paperRemoved}); }});
    table.add(u"GetRetractedCount",
              {.answer = [](const DriverState& d) { return binary({d.paper.retractedCount}); }});
    table.add(u"GetSensor", {.initial = answerZeros(2)});
    table.add(u"GetOXASensorStatus", {.initial = answerZeros(8)});
}

}  // namespace rvs::sim
