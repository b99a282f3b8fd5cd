// Self-test, firmware download and printer configuration.
#include <algorithm>

#include "sim/driver_state.h"
#include "sim/firmware_store.h"
#include "sim/self_test_runner.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addMaintenanceValues(ValueTable& table) {
    addSelfTestValues(table);
    addDownloadValues(table);
    // The printer takes the 8-byte record it was given as its configuration.
    table.add(u"SetConfiguration",
              {.answer = [](const DriverState& d) {
                   const auto record = d.input(u"SetPrnterConfig_Input");
                   return binary({static_cast<uint8_t>(record && record->size() == 8 ? 0 : 1)});
               },
               .onRequest = [](DriverState& d, const Answer& given) {
                   const auto record = d.input(u"SetPrnterConfig_Input");
                   if (given.bytes == std::vector<uint8_t>{0} && record && record->size() == 8) {
                       std::copy(record->begin(), record->end(), d.deviceData.configuration.begin());
                   }
               }});
}

}  // namespace rvs::sim
