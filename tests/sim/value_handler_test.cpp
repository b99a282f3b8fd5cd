// What a value handler can do to the device: answer, read inputs, change status now and later,
// set "ReturnValue"; and when a request counts as carried out.
#include <gtest/gtest.h>

#include <functional>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

constexpr uint8_t kMoving = 0x40;

// The whole vocabulary plus handlers of the shapes later commands take.
ValueTable tableWithTestValues() {
    ValueTable table = valueTable();
    // A movement: the bit rises at once when carried out and falls 300 ms later.
    table.add(u"Move", {.initial = answerZeros(1), .onRequest = [](DriverState& d, const Answer& given) {
                            if (given.bytes == std::vector<uint8_t>{0}) {
                                d.setStatusBit(0, kMoving, true);
                                d.after(300, [](Device& device) { device.setStatusBit(0, kMoving, false); });
                            }
                        }});
    // Answers what was last written to its input; unknown before that.
    table.add(u"Echo", {.answer = [](const DriverState& d) -> std::optional<Answer> {
                            std::optional<std::vector<uint8_t>> in = d.input(u"Echo_Input");
                            if (!in) return std::nullopt;
                            return binary(*in);
                        }});
    // Refuses the way a driver does without a refusal byte: no answer, a code in "ReturnValue".
    table.add(u"Refuse", {.initial = answerZeros(0),
                          .onRequest = [](DriverState& d, const Answer&) { d.returnValue = 0x55; }});
    return table;
}

class ValueHandlerTest : public ::testing::Test {
protected:
    GetResult get(const std::u16string& name, uint32_t size) {
        GetResult r;
        r.bytes.assign(size, 0xEE);
        r.error = device_.serveGet(name.c_str(), &r.type, r.bytes.data(), size, &r.needed);
        return r;
    }
    uint32_t set(const std::u16string& name, std::vector<uint8_t> bytes) {
        return device_.serveSet(name.c_str(), platform::kRegBinary, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    bool moving() { return (device_.status()[0] & kMoving) != 0; }

    ManualClock clock_;
    ExchangeLog log_;
    const ValueTable table_ = tableWithTestValues();
    Device device_{Profile::korvelin(), log_, table_};
};

TEST_F(ValueHandlerTest, CarriedOutRequestChangesStatusNowAndOnTheTimeline) {
    ASSERT_EQ(get(u"Move", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_TRUE(moving());
    clock_.advance(299);
    device_.runDue();
    EXPECT_TRUE(moving());
    clock_.advance(1);
    EXPECT_EQ(get(u"StatusGet", 5).bytes[0], 0);  // the call that finds the change due sees it
}

struct NotCarriedOutCase {
    const char* label;
    std::function<void(Device&)> arrange;
    uint32_t bufferSize = 1;
};

void PrintTo(const NotCarriedOutCase& c, std::ostream* os) { *os << c.label; }

class RequestNotCarriedOut : public ValueHandlerTest, public ::testing::WithParamInterface<NotCarriedOutCase> {};

TEST_P(RequestNotCarriedOut, LeavesTheDeviceAlone) {
    GetParam().arrange(device_);
    get(u"Move", GetParam().bufferSize);
    EXPECT_FALSE(moving());
    clock_.advance(300);
    device_.runDue();
    EXPECT_FALSE(moving());
    EXPECT_EQ(device_.status(), (std::array<uint8_t, 5>{}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestNotCarriedOut,
    ::testing::Values(
        NotCarriedOutCase{"RefusedByItsAnswer", [](Device& d) { d.setAnswer(u"Move", {1}); }},
        NotCarriedOutCase{"CallFails", [](Device& d) { d.injectFault(u"Move", Fault::callFails()); }},
        NotCarriedOutCase{"InjectedAnswer", [](Device& d) { d.injectFault(u"Move", Fault::answer({0})); }},
        NotCarriedOutCase{"WrongSize", [](Device& d) { d.injectFault(u"Move", Fault::wrongSize(2, 3)); }},
        NotCarriedOutCase{"Removed", [](Device& d) { d.removeValue(u"Move"); }},
        NotCarriedOutCase{"BufferTooShort", [](Device&) {}, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ValueHandlerTest, DelayedRequestIsStillCarriedOut) {
    device_.injectFault(u"Move", Fault::delay(20));
    get(u"Move", 1);
    EXPECT_TRUE(moving());
}

TEST_F(ValueHandlerTest, AnswerComesFromTheLastInput) {
    EXPECT_EQ(get(u"Echo", 2).error, kErrorFileNotFound);
    ASSERT_EQ(set(u"Echo_Input", {4, 2}), 0u);
    ASSERT_EQ(set(u"Echo_Input", {7, 9}), 0u);
    EXPECT_EQ(get(u"Echo", 2).bytes, (std::vector<uint8_t>{7, 9}));
    device_.setAnswer(u"Echo", {1, 1});  // a test's answer wins over the computed one
    EXPECT_EQ(get(u"Echo", 2).bytes, (std::vector<uint8_t>{1, 1}));
}

TEST_F(ValueHandlerTest, RequestCanRefuseWithAReturnValueCode) {
    GetResult r = get(u"Refuse", 1);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 0u);
    EXPECT_EQ(device_.returnValue(), 0x55u);
    EXPECT_EQ(get(u"ReturnValue", 4).bytes, le32(0x55));
}

TEST(ValueTable, ANameBelongsToOneFamily) {
    ValueTable table = valueTable();
    EXPECT_THROW(table.add(u"StatusGet", {}), std::logic_error);
    EXPECT_NE(table.find(u"Present"), nullptr);
    EXPECT_EQ(table.find(u"NoSuchValue"), nullptr);
}

}  // namespace
}  // namespace rvs::sim::testing
