// The driver settings record and its change flag.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;

TEST_F(SimTest, NewRecordHasTracingOffAndFiveFiles) {
    std::vector<uint8_t> expected(1344, 0);
    expected[290] = 5;
    EXPECT_EQ(get(u"PrinterDataSize", 4).bytes, le32(1344));
    EXPECT_EQ(get(u"PrinterData", 1344).bytes, expected);
    EXPECT_EQ(device_->settingsRecord(), expected);
}

TEST_F(SimTest, TraceSettingsLandAtTheirOffsets) {
    device_->setTraceSettings(0x3F, 0x0102, u"C:\\T");
    std::vector<uint8_t> r = get(u"PrinterData", 1344).bytes;
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 288, r.begin() + 304),
              (std::vector<uint8_t>{0x3F, 0, 0x02, 0x01, 0, 0, 'C', 0, ':', 0, '\\', 0, 'T', 0, 0, 0}));
    EXPECT_EQ(r.size(), 1344u);
    EXPECT_FALSE(device_->logSettingChanged());
}

TEST_F(SimTest, RecordWrittenBackReplacesTheWholeRecord) {
    std::vector<uint8_t> record(1344);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(set(u"PrinterData", kRegBinary, record), 0u);
    EXPECT_EQ(device_->settingsRecord(), record);
    EXPECT_EQ(get(u"PrinterData", 1344).bytes, record);

    device_->setSettingsRecord(std::vector<uint8_t>(600, 1));
    EXPECT_EQ(get(u"PrinterDataSize", 4).bytes, le32(600));
    EXPECT_EQ(get(u"PrinterData", 1344).error, 0u);
    EXPECT_EQ(get(u"PrinterData", 599).error, kErrorMoreData);
}

TEST_F(SimTest, ChangeFlagIsReadAndClearedByWritingZero) {
    device_->setLogSettingChanged(true);
    EXPECT_EQ(get(u"LogSettingCondition", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(u"LogSettingCondition", 1).bytes, std::vector<uint8_t>{1});  // reading leaves it
    ASSERT_EQ(set(u"LogSettingCondition", kRegBinary, {0}), 0u);
    EXPECT_FALSE(device_->logSettingChanged());
    EXPECT_EQ(get(u"LogSettingCondition", 1).bytes, std::vector<uint8_t>{0});
}

}  // namespace
}  // namespace rvs::sim::testing
