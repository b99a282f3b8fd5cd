// Metrics, manufacturing data, the configuration record, LEDs, print enable and purge.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addDeviceDataValues(ValueTable& table) {
    table.add(u"GetConfiguration", {.initial = answerZeros(8)});
    table.add(u"GetMetrics", {.initial = answerZeros(4)});
    table.add(u"GetAllMetrics", {.initial = answerZeros(28)});
    table.add(u"GetMFGData", {.initial = answerZeros(115)});
    // One-byte commands: 0 is carried out.
    for (const char16_t* name : {u"SetMetrics", u"SetMFGData", u"SetMFGDataEx", u"Panel", u"Enabled", u"PurgeData"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
