#include "sim/fault.h"

#include <utility>

namespace rvs::sim {

Fault Fault::callFails(uint32_t error) {
    Fault f;
    f.kind = Kind::CallFails;
    f.error = error;
    return f;
}

Fault Fault::wrongSize(uint32_t answerSize, std::optional<uint32_t> returnValue) {
    Fault f;
    f.kind = Kind::WrongSize;
    f.answerSize = answerSize;
    f.returnValue = returnValue;
    return f;
}

Fault Fault::answer(std::vector<uint8_t> bytes) {
    Fault f;
    f.kind = Kind::Answer;
    f.bytes = std::move(bytes);
    return f;
}

Fault Fault::delay(uint32_t milliseconds) {
    Fault f;
    f.kind = Kind::Delay;
    f.milliseconds = milliseconds;
    return f;
}

}  // namespace rvs::sim
