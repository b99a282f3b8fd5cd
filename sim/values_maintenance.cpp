// Self-test, firmware download and printer configuration.
#include "sim/driver_state.h"
#include "sim/self_test_runner.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addMaintenanceValues(ValueTable& table) {
    // One-byte commands: 0 is carried out.
    for (const char16_t* name : {u"SetConfiguration",
                                 u"Download", u"DownloadCancel", u"DownloadSwitch", u"DownloadFile",
                                 u"DownloadWrite", u"DownloadReset"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
    addSelfTestValues(table);
}

}  // namespace rvs::sim
