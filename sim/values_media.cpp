// Paper movements, cut, reset and recovery.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {

void addMediaValues(ValueTable& table) {
    // One-byte commands: 0 is carried out.
    for (const char16_t* name :
         {u"Reset", u"Recover", u"Present", u"Eject", u"Retract", u"Cut", u"PaperChange", u"Transport"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
