// Scheduled device changes on the platform clock, including across the 32-bit tick wrap.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

TEST_F(SimTest, DueActionsRunInDueOrderAcrossTheTickWrap) {
    clock_.set(0xFFFFFF00);
    std::vector<int> ran;
    auto note = [&ran](int n) { return [&ran, n](Device&) { ran.push_back(n); }; };
    device_->schedule(0x300, note(3));  // due at 0x200 after the wrap
    device_->schedule(0x80, note(1));   // due before the wrap
    device_->schedule(0x200, note(2));  // due at 0x100
    device_->schedule(0x200, note(22));  // same moment: scheduling order
    device_->schedule(0x1000, note(9));

    device_->runDue();
    EXPECT_TRUE(ran.empty());

    clock_.set(0x150);  // past the wrap; 1, 2 and 22 are due
    get(u"StatusGet", 5);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 22}));

    clock_.set(0x1FF);
    device_->runDue();
    EXPECT_EQ(ran.size(), 3u);
    clock_.set(0x200);
    device_->runDue();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 22, 3}));
}

TEST_F(SimTest, DueChangesAreSeenByTheCallThatFindsThem) {
    device_->schedule(50, [](Device& d) { d.setStatusBit(0, 0x20, true); });
    EXPECT_EQ(get(u"StatusGet", 5).bytes[0], 0);
    clock_.advance(50);
    EXPECT_EQ(get(u"StatusGet", 5).bytes[0], 0x20);
}

TEST_F(SimTest, ActionsMayScheduleFurtherActions) {
    device_->schedule(10, [](Device& d) {
        d.setStatusBit(0, 0x01, true);
        d.schedule(10, [](Device& d2) { d2.setStatusBit(0, 0x01, false); });
    });
    clock_.advance(10);
    EXPECT_EQ(get(u"StatusGet", 5).bytes[0], 0x01);
    clock_.advance(10);
    EXPECT_EQ(get(u"StatusGet", 5).bytes[0], 0x00);
}

TEST_F(SimTest, StatementScenarioWalksThePaperThroughItsSteps) {
    device_->setAnswer(u"PaperRemoved", {0x40});  // left over from an earlier statement
    const uint32_t total = scheduleStatementScenario(*device_, 100);
    EXPECT_EQ(total, 900u);

    struct Seen {
        uint8_t byte0, transport, removed;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    for (uint32_t t = 0; t <= total; t += 100) {
        seen.push_back({get(u"StatusGet", 5).bytes[0], get(u"GetTransport", 1).bytes[0],
                        get(u"PaperRemoved", 1).bytes[0]});
        clock_.advance(100);
    }
    const std::vector<Seen> expected = {
        {0x00, 0, 0x00},  // start: removal answer put back
        {0x01, 0, 0x00},  // paper fed
        {0x21, 0, 0x00},  // printing
        {0x01, 0, 0x00},
        {0x81, 0, 0x00},  // cut
        {0x01, 0, 0x00},
        {0x41, 0, 0x00},  // presented
        {0x01, 0, 0x00},  // left the exit
        {0x01, 0, 0x40},  // taken
        {0x00, 0, 0x40},  // paper fed bit falls
    };
    EXPECT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < expected.size() && i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], expected[i]) << "step " << i << " byte0 " << int(seen[i].byte0) << " removed "
                                        << int(seen[i].removed);
    }
}

TEST_F(SimTest, StatementScenarioStepsWaitUntilTheStatusWasRead) {
    scheduleStatementScenario(*device_, 100);
    get(u"StatusGet", 5);  // starts the scenario
    std::vector<uint8_t> seen;
    for (int i = 0; i < 12; ++i) {
        clock_.advance(1000);          // a monitor far too slow for the steps...
        get(u"LogSettingCondition", 1);  // ...and other calls in between
        get(u"LogSettingCondition", 1);
        seen.push_back(get(u"StatusGet", 5).bytes[0]);
    }
    // ...still sees every status step once each.
    EXPECT_EQ(seen, (std::vector<uint8_t>{0x01, 0x21, 0x01, 0x81, 0x01, 0x41, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(get(u"PaperRemoved", 1).bytes[0], 0x40);
}

}  // namespace
}  // namespace rvs::sim::testing
