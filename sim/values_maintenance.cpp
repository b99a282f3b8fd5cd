// Self-test, firmware download and printer configuration.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addMaintenanceValues(ValueTable& table) {
    // One-byte commands: 0 is carried out.
    for (const char16_t* name : {u"SetConfiguration", u"EnterSelfTest", u"PerformSelfTest", u"ExitSelfTest",
                                 u"Download", u"DownloadCancel", u"DownloadSwitch", u"DownloadFile",
                                 u"DownloadWrite", u"DownloadReset"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
