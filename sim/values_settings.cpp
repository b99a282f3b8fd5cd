// The settings record, exchanged whole, and the flag that says the trace settings changed.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addSettingsValues(ValueTable& table) {
    table.add(u"PrinterDataSize", {.answer = [](const DriverState& d) {
                                       return dword(static_cast<uint32_t>(d.settingsRecord.size()));
                                   }});
    table.add(u"PrinterData", {.answer = [](const DriverState& d) { return binary(d.settingsRecord); },
                               .onWrite = [](DriverState& d, const std::vector<uint8_t>& written) {
                                   d.settingsRecord = written;
                               }});
    // Bit 0: the trace settings changed; the library clears it by writing 0.
    table.add(u"LogSettingCondition", {.answer = [](const DriverState& d) {
                                           return binary({static_cast<uint8_t>(d.logSettingChanged ? 1 : 0)});
                                       },
                                       .onWrite = [](DriverState& d, const std::vector<uint8_t>& written) {
                                           d.logSettingChanged = !written.empty() && (written[0] & 0x01) != 0;
                                       }});
}

}  // namespace rvs::sim
