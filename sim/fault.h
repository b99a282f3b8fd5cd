// Misbehaviour injected into the next call(s) on one value name.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace rvs::sim {

inline constexpr uint32_t kErrorGenFailure = 31;

struct Fault {
    enum class Kind { CallFails, WrongSize, Answer, Delay };

    // The spooler call fails with `error` (get or set).
    static Fault callFails(uint32_t error = kErrorGenFailure);
    // The get succeeds but reports needed = answerSize, delivering as much of the normal answer
    // as fits; "ReturnValue" is set first when a code is given.
    static Fault wrongSize(uint32_t answerSize, std::optional<uint32_t> returnValue = std::nullopt);
    // A one-off answer for a get (e.g. a refusal byte {1}), under the usual buffer rules.
    static Fault answer(std::vector<uint8_t> bytes);
    // The call (get or set) is served normally after platform::system().sleep(ms).
    static Fault delay(uint32_t milliseconds);

    // Whether this fault acts on a set; answer faults only make sense for a get.
    bool appliesToSet() const { return kind == Kind::CallFails || kind == Kind::Delay; }

    Kind kind = Kind::CallFails;
    uint32_t error = kErrorGenFailure;
    uint32_t answerSize = 0;
    std::optional<uint32_t> returnValue;
    std::vector<uint8_t> bytes;
    uint32_t milliseconds = 0;
};

}  // namespace rvs::sim
