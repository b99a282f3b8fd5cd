// How a printer-data answer is judged and turned into a result code.
#include <gtest/gtest.h>

#include "channel/channel.h"
#include "maintenance/traced_return_value.h"
#include "channel_fixture.h"

namespace rvs::test {
namespace {

using Names = std::vector<std::u16string>;

Names namesOf(const std::vector<sim::Exchange>& exchanges) {
    Names names;
    for (const sim::Exchange& e : exchanges) {
        names.push_back(e.name);
    }
    return names;
}

struct RecordCase {
    const char* name;
    std::optional<sim::Fault> fault;
    Result expected;
    bool readsReturnValue;
};

class RequestRecordTest : public ChannelFixture, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RequestRecordTest, JudgesTheAnswerSize) {
    openParked();
    device->setAnswer(u"GetConfiguration", {1, 2, 3, 4, 5, 6, 7, 8});
    if (GetParam().fault) {
        device->injectFault(u"GetConfiguration", *GetParam().fault);
    }
    uint8_t answer[8] = {};
    EXPECT_EQ(requestRecord(session(), u"GetConfiguration", answer, sizeof answer), GetParam().expected);

    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].size, 8u);
    EXPECT_EQ(namesOf(log), GetParam().readsReturnValue ? (Names{u"GetConfiguration", u"ReturnValue"})
                                                        : (Names{u"GetConfiguration"}));
    if (GetParam().expected == 0) {
        EXPECT_EQ(std::vector<uint8_t>(answer, answer + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RequestRecordTest,
    ::testing::Values(RecordCase{"ExactSize", std::nullopt, 0, false},
                      RecordCase{"CallFails", sim::Fault::callFails(), 9, false},
                      RecordCase{"OneShortNoCode", sim::Fault::wrongSize(7, 0u), 16, true},
                      RecordCase{"OneShortCode5", sim::Fault::wrongSize(7, 5u), 5, true},
                      RecordCase{"EmptyCode7", sim::Fault::wrongSize(0, 7u), 7, true},
                      RecordCase{"OneLongCode5", sim::Fault::wrongSize(9, 5u), 5, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelFixture, FailedReturnValueReadGives16) {
    openParked();
    device->injectFault(u"GetConfiguration", sim::Fault::wrongSize(7, 5u));
    device->injectFault(u"ReturnValue", sim::Fault::callFails());
    uint8_t answer[8] = {};
    EXPECT_EQ(requestRecord(session(), u"GetConfiguration", answer, sizeof answer), 16u);
}

struct CommandCase {
    const char* name;
    std::vector<uint8_t> answer;
    Result expected;
};

class RequestCommandTest : public ChannelFixture, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(RequestCommandTest, NonZeroAnswerByteIsARefusal) {
    openParked();
    device->setReturnValue(5);  // a refusal is 16, never the driver's code
    device->injectFault(u"Present", sim::Fault::answer(GetParam().answer));
    EXPECT_EQ(requestCommand(session(), u"Present"), GetParam().expected);
    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].name, u"Present");
    EXPECT_EQ(log[0].size, 1u);
}

INSTANTIATE_TEST_SUITE_P(Answers, RequestCommandTest,
                         ::testing::Values(CommandCase{"Done", {0}, 0}, CommandCase{"Refused", {1}, 16},
                                           CommandCase{"RefusedOtherwise", {0x80}, 16}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelFixture, CommandWithWrongSizeGivesTheDriverCode) {
    openParked();
    device->injectFault(u"Present", sim::Fault::wrongSize(0, 12u));
    EXPECT_EQ(requestCommand(session(), u"Present"), 12u);
}

TEST_F(ChannelFixture, WriteInputPassesTypeAndSizeAndReports9OnFailure) {
    openParked();
    const uint8_t data[3] = {7, 8, 9};
    EXPECT_EQ(writeInput(session(), u"Transport_input", 3, data, 3), 0u);
    device->injectFault(u"Transport_input", sim::Fault::callFails());
    EXPECT_EQ(writeInput(session(), u"Transport_input", 3, data, 1), 9u);
    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].direction, sim::Direction::Set);
    EXPECT_EQ(log[0].type, 3u);
    EXPECT_EQ(log[0].bytes, (std::vector<uint8_t>{7, 8, 9}));
    EXPECT_EQ(log[1].size, 1u);
}

struct TracedCase {
    const char* name;
    std::optional<sim::Fault> fault;
    uint32_t returnValue;
    Result expected;
    std::vector<std::string> lines;
};

class ReadReturnValueTracedTest : public ChannelFixture, public ::testing::WithParamInterface<TracedCase> {};

TEST_P(ReadReturnValueTracedTest, WritesItsOwnCallAndReturnLines) {
    openParked();
    device->setReturnValue(GetParam().returnValue);
    if (GetParam().fault) {
        device->injectFault(u"ReturnValue", *GetParam().fault);
    }
    const size_t before = traceLines().size();
    EXPECT_EQ(readReturnValueTraced(session()), GetParam().expected);

    const std::vector<std::string> lines = traceLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()),
              GetParam().lines);
    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].name, u"ReturnValue");
    EXPECT_EQ(log[0].size, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadReturnValueTracedTest,
    ::testing::Values(TracedCase{"DriverCode", std::nullopt, 0x1234, 0x1234, {"[TRACE:5001]Call:108", "[TRACE:5002]Ret:108"}},
                      TracedCase{"Zero",
                                 std::nullopt,
                                 0,
                                 16,
                                 {"[TRACE:5001]Call:108", "[ERR:2001]Key:ReturnValue", "[TRACE:5002]Ret:108"}},
                      TracedCase{"CallFails",
                                 sim::Fault::callFails(),
                                 5,
                                 16,
                                 {"[TRACE:5001]Call:108", "[ERR:2001]Key:ReturnValue", "[TRACE:5002]Ret:108"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
