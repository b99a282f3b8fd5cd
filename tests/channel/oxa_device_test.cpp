// Selecting and releasing the OXA device around a command.
#include <gtest/gtest.h>

#include <memory>

#include "channel/channel.h"
#include "channel_fixture.h"

namespace rvs::test {
namespace {

using sim::Direction;

// What a test expects of one exchange.
struct Expected {
    std::u16string name;
    Direction direction;
    std::vector<uint8_t> bytes;  // Set: data written; Get: answer delivered
};

void expectExchanges(const std::vector<sim::Exchange>& log, const std::vector<Expected>& expected) {
    ASSERT_EQ(log.size(), expected.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].name, expected[i].name) << i;
        EXPECT_EQ(log[i].direction, expected[i].direction) << i;
        EXPECT_EQ(log[i].bytes, expected[i].bytes) << i;
        EXPECT_EQ(log[i].size, 1u) << i;
        if (log[i].direction == Direction::Set) {
            EXPECT_EQ(log[i].type, 3u) << i;
        }
    }
}

class OxaDeviceTest : public ChannelFixture {
protected:
    void setCachedByte8(uint8_t value) {
        Guard lock(session().stateLock);
        session().oxaStatus[8] = value;
    }
};

TEST_F(OxaDeviceTest, KorvelinSelectsAndReleasesWithoutAnyExchange) {
    openParked(sim::Profile::korvelin());
    setCachedByte8(0x04);
    EXPECT_EQ(selectOxaDevice(session()), 0u);
    EXPECT_EQ(releaseOxaDevice(session()), 0u);
    EXPECT_TRUE(exchanges().empty());
}

TEST_F(OxaDeviceTest, KorvelinFoSelectsWithoutAnyExchange) {
    openParked(sim::Profile::korvelinFO());
    EXPECT_EQ(selectOxaDevice(session()), 0u);
    EXPECT_EQ(releaseOxaDevice(session()), 0u);
    EXPECT_TRUE(exchanges().empty());
}

TEST_F(OxaDeviceTest, OxaStSelectsUntilTheDriverAnswers6) {
    openParked(sim::Profile::oxaSt());
    device->setAnswer(u"OXAPrintTimeOut", {7});
    device->injectFault(u"OXASelectDevice", sim::Fault::answer({0}), 2);

    EXPECT_EQ(selectOxaDevice(session()), 0u);

    expectExchanges(exchanges(), {{u"OXAPrintTimeOut", Direction::Get, {7}},
                                  {u"OXA_Select_Input", Direction::Set, {1}},
                                  {u"OXASelectDevice", Direction::Get, {0}},
                                  {u"OXASelectDevice", Direction::Get, {0}},
                                  {u"OXASelectDevice", Direction::Get, {6}}});
    EXPECT_EQ(session().oxaPrintTimeOut.load(), 7);
}

TEST_F(OxaDeviceTest, UnreadableTimeOutFallsBackToThreeMinutes) {
    openParked(sim::Profile::oxaSt());
    session().oxaPrintTimeOut = 9;
    device->injectFault(u"OXAPrintTimeOut", sim::Fault::callFails());
    EXPECT_EQ(selectOxaDevice(session()), 0u);
    EXPECT_EQ(session().oxaPrintTimeOut.load(), 3);
}

TEST_F(OxaDeviceTest, ZeroTimeOutGives27AtTheFirstOtherAnswer) {
    openParked(sim::Profile::oxaSt());
    device->setAnswer(u"OXAPrintTimeOut", {0});
    device->setAnswer(u"OXASelectDevice", {5});

    EXPECT_EQ(selectOxaDevice(session()), 27u);
    expectExchanges(exchanges(), {{u"OXAPrintTimeOut", Direction::Get, {0}},
                                  {u"OXA_Select_Input", Direction::Set, {1}},
                                  {u"OXASelectDevice", Direction::Get, {5}}});
}

struct SelectFailure {
    const char* name;
    const char16_t* value;
    sim::Fault fault;
    Result expected;
};

class OxaSelectFailureTest : public OxaDeviceTest, public ::testing::WithParamInterface<SelectFailure> {};

TEST_P(OxaSelectFailureTest, EndsTheSelection) {
    openParked(sim::Profile::oxaSt());
    device->injectFault(GetParam().value, GetParam().fault);
    EXPECT_EQ(selectOxaDevice(session()), GetParam().expected);
    size_t looks = 0;
    for (const sim::Exchange& e : exchanges()) {
        looks += e.name == u"OXASelectDevice" ? 1 : 0;
    }
    EXPECT_LE(looks, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OxaSelectFailureTest,
    ::testing::Values(SelectFailure{"InputWrite", u"OXA_Select_Input", sim::Fault::callFails(), 9},
                      SelectFailure{"SelectCall", u"OXASelectDevice", sim::Fault::callFails(), 9},
                      SelectFailure{"SelectShortCode", u"OXASelectDevice", sim::Fault::wrongSize(0, 5u), 5},
                      SelectFailure{"SelectShortNoCode", u"OXASelectDevice", sim::Fault::wrongSize(2, 0u), 16}),
    [](const auto& info) { return std::string(info.param.name); });

// Each spooler call on the device moves the clock on by 30 s before it is served, so the
// selection sees whole minutes pass between its looks while the driver never answers 6. After
// `left` calls the driver answers 6, so a selection that never gives up still ends.
void tickOnEveryCall(sim::Device& device, TestSystem& clock, std::shared_ptr<int> left) {
    device.schedule(0, [&clock, left](sim::Device& d) {
        clock.advance(30000);
        if (--*left > 0) {
            tickOnEveryCall(d, clock, left);
        } else {
            d.setAnswer(u"OXASelectDevice", {6});
        }
    });
}

class OxaSelectTimeOutTest : public OxaDeviceTest, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(OxaSelectTimeOutTest, GivesUpAfterTheWholeMinutesAcrossTheTickWrap) {
    const uint8_t minutes = GetParam();
    openParked(sim::Profile::oxaSt());
    device->setAnswer(u"OXAPrintTimeOut", {minutes});
    device->setAnswer(u"OXASelectDevice", {0});
    // Two calls (time-out read, input write) precede the start; the wrap falls after it.
    clock->setTickCount(0xFFFFFFFFu - 70000);
    auto left = std::make_shared<int>(40);
    tickOnEveryCall(*device, clock.system(), left);

    EXPECT_EQ(selectOxaDevice(session()), 27u);
    *left = 1;  // the action still pending ends the chain

    // Minute n is complete at look 2n: looks 1 to 2n-1 saw fewer whole minutes.
    std::vector<Expected> expected = {{u"OXAPrintTimeOut", Direction::Get, {minutes}},
                                      {u"OXA_Select_Input", Direction::Set, {1}}};
    for (int i = 0; i < 2 * minutes; ++i) {
        expected.push_back({u"OXASelectDevice", Direction::Get, {0}});
    }
    expectExchanges(exchanges(), expected);
}

INSTANTIATE_TEST_SUITE_P(Minutes, OxaSelectTimeOutTest, ::testing::Values(1, 2, 3));

TEST_F(OxaDeviceTest, Byte8Bit2SkipsSelectionAndEnablesRelease) {
    openParked(sim::Profile::oxaSt());
    setCachedByte8(0x04);
    device->setAnswer(u"OXASelectDevice", {0x33});

    EXPECT_EQ(selectOxaDevice(session()), 0u);
    EXPECT_TRUE(exchanges().empty());

    EXPECT_EQ(releaseOxaDevice(session()), 0u);  // the answer byte is not judged
    expectExchanges(exchanges(), {{u"OXA_Select_Input", Direction::Set, {0}},
                                  {u"OXASelectDevice", Direction::Get, {0x33}}});
}

TEST_F(OxaDeviceTest, ReleaseWithoutByte8Bit2SendsNothing) {
    openParked(sim::Profile::oxaSt());
    setCachedByte8(0xFB);
    EXPECT_EQ(releaseOxaDevice(session()), 0u);
    EXPECT_TRUE(exchanges().empty());
}

class OxaReleaseFailureTest : public OxaDeviceTest, public ::testing::WithParamInterface<SelectFailure> {};

TEST_P(OxaReleaseFailureTest, GivesItsCode) {
    openParked(sim::Profile::oxaSt());
    setCachedByte8(0x04);
    device->injectFault(GetParam().value, GetParam().fault);
    EXPECT_EQ(releaseOxaDevice(session()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OxaReleaseFailureTest,
    ::testing::Values(SelectFailure{"InputWrite", u"OXA_Select_Input", sim::Fault::callFails(), 9},
                      SelectFailure{"SelectCall", u"OXASelectDevice", sim::Fault::callFails(), 9},
                      SelectFailure{"SelectShortCode", u"OXASelectDevice", sim::Fault::wrongSize(0, 5u), 5}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
