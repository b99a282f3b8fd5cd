// A session whose monitor is parked, so that a test drives the channel alone and the exchange
// log holds only what the test caused.
#pragma once

#include <mutex>

#include "support/session_fixture.h"

namespace rvs::test {

class ChannelFixture : public SessionFixture {
protected:
    void openParked(sim::Profile profile = sim::Profile::korvelin()) {
        addPrinter(profile);
        ASSERT_NE(open(), nullptr);
        parked_ = std::unique_lock<Lock>(session().cycleLock);
        spooler->clearLog();
    }
    void TearDown() override {
        if (parked_.owns_lock()) {
            parked_.unlock();
        }
    }
    // Every exchange since the log was last cleared, trace flag reads left out.
    std::vector<sim::Exchange> exchanges() { return spooler->exchangesWithout({u"LogSettingCondition"}); }

private:
    std::unique_lock<Lock> parked_;
};

}  // namespace rvs::test
