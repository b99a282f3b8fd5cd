// What a new printer answers, per model, and the rules every get follows.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;

struct AnswerCase {
    const char* label;
    Profile profile;
    std::u16string name;
    std::vector<uint8_t> bytes;
    uint32_t type = kRegBinary;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.label; }

class DefaultAnswer : public SimTest, public ::testing::WithParamInterface<AnswerCase> {
protected:
    void SetUp() override { open(GetParam().profile); }
};

TEST_P(DefaultAnswer, AnswersItsExactSize) {
    const AnswerCase& c = GetParam();
    GetResult r = get(c.name, static_cast<uint32_t>(c.bytes.size()));
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, c.bytes.size());
    EXPECT_EQ(r.bytes, c.bytes);
    EXPECT_EQ(r.type, c.type);
}

std::vector<uint8_t> zeros(size_t n) { return std::vector<uint8_t>(n, 0); }

const AnswerCase kAnswers[] = {
    {"Open", Profile::korvelin(), u"Open", zeros(5)},
    {"TimeInterval", Profile::korvelin(), u"TimeInterval", {50, 0, 0, 0}, kRegDword},
    {"OXAPrintTimeOut", Profile::oxaSt(), u"OXAPrintTimeOut", {3}, kRegDword},
    {"VersionKorvelin", Profile::korvelin(0x0109), u"GetPrinterVersion", {0x09, 0x01, 0, 0}},
    {"VersionKorvelinFO", Profile::korvelinFO(0x0310), u"GetPrinterVersion", {0x10, 0x03, 1, 0}},
    {"VersionOxaSt", Profile::oxaSt(0x0410), u"GetPrinterVersion", {0x10, 0x04, 2, 0}},
    {"ModelKorvelin", Profile::korvelin(), u"GetPrinterModel", {0, 0}},
    {"ModelKorvelinFO", Profile::korvelinFO(), u"GetPrinterModel", {0, 0}},
    {"ModelOxaSt", Profile::oxaSt(), u"GetPrinterModel", {1, 0}},
    {"Threshold", Profile::korvelin(), u"GetThresholdForLastPage", {69, 0, 0, 0}},
    {"TotalFeeding", Profile::korvelin(), u"TotalFeedingValue", {0, 0, 0, 0}, kRegDword},
    {"MultiplePage", Profile::korvelin(), u"CheckMultiplePagePrinting", {0}},
    {"Configuration", Profile::korvelin(), u"GetConfiguration", zeros(8)},
    {"DivisionOn", Profile::korvelin(), u"DivisionPrintingON", {0}},
    {"DivisionOff", Profile::korvelin(), u"DivisionPrintingOFF", {0}},
    {"Purge", Profile::korvelin(), u"PurgeData", {0}},
    {"Close", Profile::korvelin(), u"Close", {0}},
    {"Status", Profile::korvelin(), u"StatusGet", zeros(5)},
    {"OxaStatus", Profile::oxaSt(), u"OXAGetStatus", zeros(18)},
    {"Transport", Profile::korvelin(), u"GetTransport", {0}},
    {"PaperRemoved", Profile::korvelin(), u"PaperRemoved", {0}},
    {"Sensor", Profile::korvelin(), u"GetSensor", zeros(2)},
    {"OxaSensor", Profile::oxaSt(), u"GetOXASensorStatus", zeros(8)},
    {"Retracted", Profile::korvelin(), u"GetRetractedCount", {0}},
    {"LogSetting", Profile::korvelin(), u"LogSettingCondition", {0}},
    {"PrinterDataSize", Profile::korvelin(), u"PrinterDataSize", {0x40, 0x05, 0, 0}, kRegDword},
    {"ReturnValue", Profile::korvelin(), u"ReturnValue", zeros(4), kRegDword},
    {"OxaSelect", Profile::oxaSt(), u"OXASelectDevice", {0}},
    {"ConsecutiveOn", Profile::korvelin(), u"ConsecutivePrintEnable", {0}},
    {"ConsecutiveOff", Profile::korvelin(), u"ConsecutivePrintDisable", {0}},
    {"FeedingValue", Profile::korvelin(), u"GetFeedingValue", zeros(4)},
    {"PrinterStatus", Profile::korvelin(), u"GetPrinterStatus", zeros(2)},
};

INSTANTIATE_TEST_SUITE_P(NewPrinter, DefaultAnswer, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SimTest, OnlyTheOxaStAnswersOxaStatus) {
    for (Profile profile : {Profile::korvelin(), Profile::korvelinFO()}) {
        open(profile);
        GetResult r = get(u"OXAGetStatus", 18);
        EXPECT_EQ(r.error, kErrorFileNotFound);
        EXPECT_EQ(r.needed, 0u);
    }
}

TEST_F(SimTest, UnknownAndRemovedNamesFailWithNothingNeeded) {
    GetResult unknown = get(u"NoSuchValue", 4);
    EXPECT_EQ(unknown.error, kErrorFileNotFound);
    EXPECT_EQ(unknown.needed, 0u);
    EXPECT_EQ(unknown.bytes, std::vector<uint8_t>(4, 0xEE));

    device_->removeValue(u"TimeInterval");
    device_->removeValue(u"StatusGet");
    EXPECT_EQ(get(u"TimeInterval", 4).error, kErrorFileNotFound);
    EXPECT_EQ(get(u"StatusGet", 5).error, kErrorFileNotFound);

    device_->setAnswer(u"TimeInterval", {20, 0, 0, 0});
    EXPECT_EQ(get(u"TimeInterval", 4).bytes, (std::vector<uint8_t>{20, 0, 0, 0}));
}

TEST_F(SimTest, ShortBufferGivesMoreDataAndCopiesNothing) {
    device_->setStatus({1, 2, 3, 4, 5});
    GetResult r = get(u"StatusGet", 4);
    EXPECT_EQ(r.error, kErrorMoreData);
    EXPECT_EQ(r.needed, 5u);
    EXPECT_EQ(r.bytes, std::vector<uint8_t>(4, 0xEE));
}

TEST_F(SimTest, LongBufferSucceedsWithTheAnswerSizeAndLeavesTheRest) {
    device_->setStatus({1, 2, 3, 4, 5});
    GetResult r = get(u"StatusGet", 7);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 5u);
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0xEE, 0xEE}));
}

}  // namespace
}  // namespace rvs::sim::testing
