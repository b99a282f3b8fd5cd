// Which exchanges count towards "the Nth exchange from now".
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace rvs::sim {

// A monitor thread polls while an export runs, so "the Nth exchange" is only the same exchange
// run after run when its thread's polls are left out: count one thread's exchanges, or leave
// out the names the background polls use.
struct ExchangeFilter {
    std::optional<uint32_t> threadId;           // only this thread's (platform thread id); all when empty
    std::vector<std::u16string> ignoredNames;   // never these

    bool counts(const std::u16string& name, uint32_t callerThreadId) const {
        if (threadId && *threadId != callerThreadId) {
            return false;
        }
        return std::find(ignoredNames.begin(), ignoredNames.end(), name) == ignoredNames.end();
    }

    // The calling thread's exchanges, but for `ignored`.
    static ExchangeFilter thisThread(std::vector<std::u16string> ignored = {}) {
        return {platform::system().currentThreadId(), std::move(ignored)};
    }
};

}  // namespace rvs::sim
