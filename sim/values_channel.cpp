// The channel's own values: the driver's result code and the OXA device selection.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addChannelValues(ValueTable& table) {
    table.add(u"ReturnValue", {.answer = [](const DriverState& d) { return dword(d.returnValue); },
                               .onWrite = [](DriverState& d, const std::vector<uint8_t>& written) {
                                   d.returnValue = readDword(written);
                               }});
    table.add(u"OXA_Select_Input", {.onWrite = [](DriverState& d, const std::vector<uint8_t>& written) {
                                        d.oxaSelected = !written.empty() && written[0] == 1;
                                    }});
    // 6: the OXA device is selected.
    table.add(u"OXASelectDevice", {.answer = [](const DriverState& d) {
                                       return binary({static_cast<uint8_t>(d.oxaSelected ? 6 : 0)});
                                   }});
    // Minutes; read with a one-byte buffer, written as a REG_DWORD of one byte.
    table.add(u"OXAPrintTimeOut", {.initial = [](const Profile&) { return Answer{{3}, platform::kRegDword}; }});
}

}  // namespace rvs::sim
