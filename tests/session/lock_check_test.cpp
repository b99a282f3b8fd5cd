// The run-time lock checks of debug and test builds: the order cycle, state, trace, and no
// driver exchange or trace line under stateLock.
#include <gtest/gtest.h>

#include "channel/channel.h"
#include "channel/value_names.h"
#include "session/lock.h"
#include "support/session_fixture.h"
#include "trace/trace.h"

namespace rvs::test {
namespace {

class LockCheckTest : public SessionFixture {
protected:
    void SetUp() override {
        if (!lockcheck::enabled()) GTEST_SKIP() << "this build does not check locks";
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_F(LockCheckTest, TakingLocksInOrderAndReenteringPasses) {
    Lock cycle(LockRank::Cycle);
    Lock stateLock(LockRank::State);
    Lock trace(LockRank::Trace);
    Guard a(cycle);
    Guard b(stateLock);
    Guard again(cycle);  // recursive entry of a lock already held
    Guard c(trace);
    SUCCEED();
}

TEST_F(LockCheckTest, TakingAnEarlierLockAbortsNamingBoth) {
    EXPECT_DEATH(
        {
            Lock stateLock(LockRank::State);
            Lock trace(LockRank::Trace);
            Guard t(trace);
            Guard s(stateLock);
        },
        "taking stateLock while holding traceLock");
    EXPECT_DEATH(
        {
            Lock cycle(LockRank::Cycle);
            Lock stateLock(LockRank::State);
            Guard s(stateLock);
            Guard c(cycle);
        },
        "taking cycleLock while holding stateLock");
}

TEST_F(LockCheckTest, ADriverExchangeUnderStateLockAborts) {
    addPrinter();
    open();
    EXPECT_DEATH(
        {
            Guard s(session().stateLock);
            uint8_t answer = 0;
            readValue(session(), value::GetSensor, &answer, 1);
        },
        "driver exchange under stateLock");
}

TEST_F(LockCheckTest, ATraceLineUnderStateLockAborts) {
    addPrinter();
    open();
    EXPECT_DEATH(
        {
            Guard s(session().stateLock);
            TraceLine(&session(), traceid::SessionInfo, "under the lock\n");
        },
        "trace line under stateLock");
}

TEST_F(LockCheckTest, ThePermitLetsTheStatusJudgeReadReturnValue) {
    addPrinter();
    open();
    Guard s(session().stateLock);
    lockcheck::StateLockExchangePermit permit;
    EXPECT_EQ(readReturnValue(session()), kFailure);  // the virtual driver's code is 0
}

}  // namespace
}  // namespace rvs::test
