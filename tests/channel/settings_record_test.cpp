// Read-modify-write of the driver's settings record.
#include <gtest/gtest.h>

#include "channel/channel.h"
#include "channel_fixture.h"

namespace rvs::test {
namespace {

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> record(size);
    for (size_t i = 0; i < size; ++i) {
        record[i] = static_cast<uint8_t>(i * 31 + 7);
    }
    return record;
}

class SettingsRecordTest : public ChannelFixture {};

TEST_F(SettingsRecordTest, ReadModifyWriteKeepsEveryOtherByte) {
    openParked();
    const std::vector<uint8_t> original = pattern(1400);
    device->setSettingsRecord(original);

    std::vector<uint8_t> record;
    ASSERT_EQ(readSettingsRecord(session(), record), SettingsRead::Ok);
    EXPECT_EQ(record, original);
    record[288] ^= 0xFF;
    record[1399] ^= 0xFF;
    ASSERT_EQ(writeSettingsRecord(session(), record), 0u);

    std::vector<uint8_t> expected = original;
    expected[288] ^= 0xFF;
    expected[1399] ^= 0xFF;
    EXPECT_EQ(device->settingsRecord(), expected);
    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].name, u"PrinterDataSize");
    EXPECT_EQ(log[0].size, 4u);
    EXPECT_EQ(log[1].name, u"PrinterData");
    EXPECT_EQ(log[1].size, 1400u);
    EXPECT_EQ(log[2].name, u"PrinterData");
    EXPECT_EQ(log[2].direction, sim::Direction::Set);
    EXPECT_EQ(log[2].type, 3u);
    EXPECT_EQ(log[2].size, 1400u);
}

struct ReadFailure {
    const char* name;
    const char16_t* value;
    SettingsRead expected;
};

class SettingsReadFailureTest : public ChannelFixture, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(SettingsReadFailureTest, NamesTheStepThatFailed) {
    openParked();
    device->injectFault(GetParam().value, sim::Fault::callFails());
    std::vector<uint8_t> record;
    EXPECT_EQ(readSettingsRecord(session(), record), GetParam().expected);
    EXPECT_TRUE(record.empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, SettingsReadFailureTest,
                         ::testing::Values(ReadFailure{"Size", u"PrinterDataSize", SettingsRead::SizeFailed},
                                           ReadFailure{"Data", u"PrinterData", SettingsRead::DataFailed}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsRecordTest, FailedWriteGives9AndLeavesTheDriverRecord) {
    openParked();
    const std::vector<uint8_t> original = pattern(1344);
    device->setSettingsRecord(original);
    device->injectFault(u"PrinterData", sim::Fault::callFails());
    EXPECT_EQ(writeSettingsRecord(session(), std::vector<uint8_t>(1344, 0)), 9u);
    EXPECT_EQ(device->settingsRecord(), original);
}

}  // namespace
}  // namespace rvs::test
