// The failure walk fails each exchange of the call in turn, in the forms that fit it, and
// leaves other threads' exchanges alone.
#include <gtest/gtest.h>

#include <thread>

#include "sim_test_support.h"
#include "support/failure_walk.h"

namespace rvs::sim::testing {
namespace {

using test::FailurePoint;
using test::FaultForm;
using Kind = FaultForm::Kind;

TEST_F(SimTest, WalkFailsEachExchangeInEveryFittingForm) {
    struct Seen {
        size_t index;
        Kind kind;
        Exchange failed;  // the exchange as the failing run served it
    };
    std::vector<Seen> seen;
    std::vector<Exchange> runLog;
    const std::vector<Exchange> walked = test::failureWalk({
        .arrange = [&]() -> Device& {
            open(Profile::korvelin());
            printer_.clearLog();
            return *device_;
        },
        .act = [&] {
            std::thread background([&] { get(u"StatusGet", 5); });  // not walked: another thread
            background.join();
            get(u"Open", 5);
            set(u"MetricID", platform::kRegBinary, {4});
            get(u"Cut", 1);
            runLog = printer_.exchanges();
        },
        .check = [&](const FailurePoint& point) {
            ASSERT_TRUE(point.met);
            ASSERT_EQ(runLog.size(), 4u);
            seen.push_back({point.index, point.form.kind, runLog[point.index + 1]});
        },
    });
    EXPECT_EQ(names(walked), (std::vector<std::u16string>{u"Open", u"MetricID", u"Cut"}));

    ASSERT_EQ(seen.size(), 8u);
    const std::vector<std::pair<size_t, Kind>> expected = {
        {0, Kind::CallFails}, {0, Kind::WrongSizeWithCode}, {0, Kind::WrongSizeWithoutCode}, {1, Kind::CallFails},
        {2, Kind::CallFails}, {2, Kind::WrongSizeWithCode}, {2, Kind::WrongSizeWithoutCode}, {2, Kind::Refused}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen[i].index, expected[i].first) << i;
        EXPECT_EQ(seen[i].kind, expected[i].second) << i;
    }
    EXPECT_EQ(seen[0].failed.error, kErrorGenFailure);
    EXPECT_EQ(seen[1].failed.needed, 4u);  // one byte short
    EXPECT_EQ(seen[3].failed.name, u"MetricID");
    EXPECT_EQ(seen[3].failed.error, kErrorGenFailure);
    EXPECT_EQ(seen[7].failed.bytes, std::vector<uint8_t>{1});
}

}  // namespace
}  // namespace rvs::sim::testing
