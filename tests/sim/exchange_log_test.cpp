// The exchange log: every call, in call order, with what went each way.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;

TEST_F(SimTest, RecordsEveryCallInOrderWithItsBytes) {
    device_->setStatus({0x21, 0, 0, 0x20, 0});
    const uint32_t me = platform::system().currentThreadId();

    set(u"ReturnValue", kRegDword, le32(0));
    get(u"StatusGet", 5);
    get(u"StatusGet", 3);
    get(u"Nope", 2);
    set(u"OXA_Select_Input", kRegBinary, {1});
    get(u"TimeInterval", 8);

    const std::vector<Exchange> expected = {
        {u"ReturnValue", Direction::Set, kRegDword, 4, 0, {0, 0, 0, 0}, 0, me},
        {u"StatusGet", Direction::Get, kRegBinary, 5, 5, {0x21, 0, 0, 0x20, 0}, 0, me},
        {u"StatusGet", Direction::Get, 0, 3, 5, {}, kErrorMoreData, me},
        {u"Nope", Direction::Get, 0, 2, 0, {}, kErrorFileNotFound, me},
        {u"OXA_Select_Input", Direction::Set, kRegBinary, 1, 0, {1}, 0, me},
        {u"TimeInterval", Direction::Get, kRegDword, 8, 4, {50, 0, 0, 0}, 0, me},
    };
    EXPECT_EQ(printer_.exchanges(), expected);
}

TEST_F(SimTest, FilteredViewDropsTheNamedValues) {
    get(u"StatusGet", 5);
    get(u"LogSettingCondition", 1);
    get(u"Open", 5);
    get(u"StatusGet", 5);
    get(u"Close", 1);
    EXPECT_EQ(names(printer_.exchangesWithout({u"StatusGet", u"LogSettingCondition"})),
              (std::vector<std::u16string>{u"Open", u"Close"}));
    EXPECT_EQ(printer_.exchanges().size(), 5u);
}

TEST_F(SimTest, RecordsTheCallingThread) {
    uint32_t otherId = 0;
    std::thread other([&] {
        otherId = platform::system().currentThreadId();
        get(u"StatusGet", 5);
    });
    other.join();
    ASSERT_EQ(printer_.exchanges().size(), 1u);
    EXPECT_EQ(printer_.exchanges()[0].threadId, otherId);
    EXPECT_NE(otherId, platform::system().currentThreadId());
}

TEST_F(SimTest, KeepsOnlyTheNewestEntriesAndCanBeSwitchedOff) {
    printer_.setLogCapacity(3);
    for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E"}) get(name, 1);
    EXPECT_EQ(names(printer_.exchanges()), (std::vector<std::u16string>{u"C", u"D", u"E"}));

    printer_.clearLog();
    printer_.setLogging(false);
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);
    EXPECT_TRUE(printer_.exchanges().empty());
    printer_.setLogging(true);
    get(u"Close", 1);
    EXPECT_EQ(names(printer_.exchanges()), std::vector<std::u16string>{u"Close"});
}

TEST(ExchangeText, ShowsDirectionNameSizesAndBytes) {
    std::ostringstream text;
    text << Exchange{u"StatusGet", Direction::Get, kRegBinary, 5, 5, {0x21, 0, 0, 0x20, 0x0A}, 0, 7};
    EXPECT_EQ(text.str(), "get StatusGet size 5 needed 5 type 3 error 0 [21 00 00 20 0A]");
}

}  // namespace
}  // namespace rvs::sim::testing
