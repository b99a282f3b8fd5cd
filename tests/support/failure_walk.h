// Walks the failure points of a call: each driver exchange it makes on the calling thread fails
// in turn, in every form that fits the exchange, and a check looks at what the call left behind.
//
//   uint32_t result = 0;
//   failureWalk({
//       .arrange = [&]() -> sim::Device& { ...open a session...; return *device; },
//       .act = [&] { result = RvStatementGetMetrics(handle, 3, &value); },
//       .check = [&](const FailurePoint& point) { EXPECT_EQ(result, point.usualResult()); },
//       .cleanUp = [&] { close(); },
//   });
//
// The exchanges arrange makes are not walked, nor those of other threads (the monitor's polls),
// so the Nth exchange is the same one run after run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "sim/virtual_printer.h"

namespace rvs::test {

// The driver's code in "ReturnValue" when a wrong-size answer comes with one.
inline constexpr uint32_t kWalkDriverCode = 0x33;

struct FaultForm {
    enum class Kind { CallFails, WrongSizeWithCode, WrongSizeWithoutCode, Refused };
    Kind kind;
    sim::Fault fault;
};

// Every exchange can fail; a get can also answer one byte short, with kWalkDriverCode or 0 in
// "ReturnValue"; a one-byte get can answer 1 (a refused command).
std::vector<FaultForm> faultFormsFor(const sim::Exchange& exchange);

struct FailurePoint {
    size_t index = 0;        // among the exchanges the clean run made
    sim::Exchange exchange;  // that exchange in the clean run
    FaultForm form;
    bool met = false;        // false when the failing run ended before reaching it

    // What a request reports when it passes this failure on: 9 for a failed call, the driver's
    // code for a wrong size (16 without one), 16 for a refusal.
    uint32_t usualResult() const;
};

std::ostream& operator<<(std::ostream& out, const FailurePoint& point);

struct FailureWalk {
    std::function<sim::Device&()> arrange;              // a fresh printer (and session) before each run
    std::function<void()> act;                          // the call(s) walked, on this thread
    std::function<void(const FailurePoint&)> check;     // after each failing run
    std::function<void()> cleanUp = nullptr;            // after each run, the clean one included
    std::vector<std::u16string> ignoredNames = {};      // exchanges never failed
};

// Runs act once clean to list its exchanges, then once per exchange and fitting form with that
// exchange failing. Stops at the first fatal failure. Returns the clean run's exchanges.
std::vector<sim::Exchange> failureWalk(const FailureWalk& walk);

}  // namespace rvs::test
