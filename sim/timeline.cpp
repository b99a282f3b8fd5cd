#include "sim/timeline.h"

#include <algorithm>
#include <iterator>

namespace rvs::sim {

void Timeline::schedule(uint32_t now, uint32_t afterMs, TimelineAction action) {
    std::lock_guard<std::mutex> guard(mutex_);
    pending_.push_back({now, afterMs, nextSequence_++, std::move(action)});
    count_.store(pending_.size());
}

std::vector<TimelineAction> Timeline::takeDue(uint32_t now) {
    std::vector<Scheduled> due;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto isDue = [now](const Scheduled& s) { return now - s.start >= s.afterMs; };
        auto firstDue = std::stable_partition(pending_.begin(), pending_.end(),
                                              [&](const Scheduled& s) { return !isDue(s); });
        due.assign(std::make_move_iterator(firstDue), std::make_move_iterator(pending_.end()));
        pending_.erase(firstDue, pending_.end());
        count_.store(pending_.size());
    }
    std::sort(due.begin(), due.end(), [now](const Scheduled& a, const Scheduled& b) {
        const uint32_t overdueA = (now - a.start) - a.afterMs;
        const uint32_t overdueB = (now - b.start) - b.afterMs;
        return overdueA != overdueB ? overdueA > overdueB : a.sequence < b.sequence;
    });
    std::vector<TimelineAction> actions;
    actions.reserve(due.size());
    for (Scheduled& s : due) {
        actions.push_back(std::move(s.action));
    }
    return actions;
}

}  // namespace rvs::sim
