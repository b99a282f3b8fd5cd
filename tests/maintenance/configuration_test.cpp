// Printer configuration and paper forms: the record rules and the probes run again, the paper
// the printer's default device mode selects, the user sizes in the settings record and the
// spooler's forms.
#include <gtest/gtest.h>

#include <ostream>

#include "maintenance_calls_fixture.h"
#include "platform/device_mode.h"

namespace rvs::test {
namespace {

const Bytes kStatus(5, 0);

Names namesOf(const std::vector<sim::Exchange>& log) {
    Names names;
    for (const sim::Exchange& e : log) names.push_back(e.name);
    return names;
}

uint32_t le32(const Bytes& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

class ConfigurationTest : public MaintenanceFixture {};

// --- printer configuration

struct RecordCase {
    const char* name;
    uint8_t byte0;
    uint8_t byte1;
    uint32_t result;
};
void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }

const RecordCase kRecords[] = {
    {"Byte1Bit04Alone", 0x00, 0x04, 9},      {"Byte1Bits04And02", 0x00, 0x06, 0},
    {"Byte1Bit80", 0x00, 0x80, 9},           {"Byte1Bits20And40", 0x00, 0x60, 9},
    {"Byte1Bit20", 0x00, 0x20, 0},           {"Byte1Bit40", 0x00, 0x40, 0},
    {"Byte0Bits02And04", 0x06, 0x00, 9},     {"Byte0Bit02", 0x02, 0x00, 0},
    {"Byte0Bit04WithDivision", 0x14, 0x00, 0},
};

class ConfigurationRecordRules : public ConfigurationTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(ConfigurationRecordRules, AForbiddenCombinationNeverReachesTheDriver) {
    const RecordCase& c = GetParam();
    openFresh();
    const uint8_t record[8] = {c.byte0, c.byte1, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), c.result);
    if (c.result != 0) {
        EXPECT_EQ(namesOf(callerLog()), Names{u"StatusGet"});
        EXPECT_EQ(device->deviceData().configuration, (std::array<uint8_t, 8>{}));
        EXPECT_EQ(lines(14).back(), returnLine(14));
        EXPECT_EQ(lines(14)[lines(14).size() - 2], errorReturn(14, 9));
    } else {
        EXPECT_EQ(device->deviceData().configuration, (std::array<uint8_t, 8>{c.byte0, c.byte1, 3, 4, 5, 6, 7, 8}));
    }
}

INSTANTIATE_TEST_SUITE_P(Records, ConfigurationRecordRules, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigurationTest, TheRecordIsAppliedWithTheMonitorParkedAndTheProbesRunAgain) {
    openFresh(sim::Profile::korvelin(0x0110));
    device->setAnswer(u"GetThresholdForLastPage", {80, 0, 0, 0});
    ObservingSpooler& observer = observe();
    const uint8_t record[8] = {0x10, 0x06, 0, 0, 0, 0, 0, 0};

    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 0u);

    expectExchanges(callerLog(), {got(u"StatusGet", kStatus), wroteBinary(u"SetPrnterConfig_Input", Bytes(record, record + 8)),
                                  got(u"SetConfiguration", {0}), got(u"StatusGet", kStatus),
                                  got(u"GetThresholdForLastPage", {80, 0, 0, 0}), got(u"CheckMultiplePagePrinting", {0}),
                                  got(u"GetConfiguration", Bytes(record, record + 8)),
                                  wroteBinary(u"DivisionPrinting", {0, 0, 0, 0}), got(u"DivisionPrintingOFF", {0})});
    // Parked from the command to the last probe, not before.
    const auto parked = observer.parked();
    ASSERT_EQ(parked.size(), 9u);
    EXPECT_FALSE(parked[1].second) << "the record is written before the monitor is parked";
    for (size_t i = 2; i < parked.size(); ++i) EXPECT_TRUE(parked[i].second) << i;
    EXPECT_EQ(locked([](Session& s) { return s.lastPageThreshold; }), 800u);
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
    EXPECT_EQ(lines(14), (Lines{callLine(14), inputLine("Set Config:1006000000000000"), returnLine(14)}));
}

TEST_F(ConfigurationTest, AKorvelinWithOldFirmwareKeepsItsThreshold) {
    openFresh(sim::Profile::korvelin(265));
    const uint8_t record[8] = {};
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 0u);
    EXPECT_TRUE(exchangesOf(u"GetThresholdForLastPage").empty());
    EXPECT_EQ(locked([](Session& s) { return s.lastPageThreshold; }), 690u);
}

TEST_F(ConfigurationTest, TheThresholdSaturatesRatherThanWrapping) {
    openFresh(sim::Profile::korvelinFO());
    device->setAnswer(u"GetThresholdForLastPage", {0xFF, 0xFF, 0xFF, 0x7F});
    const uint8_t record[8] = {};
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 0u);
    EXPECT_EQ(locked([](Session& s) { return s.lastPageThreshold; }), 0xFFFFFFFFu);
}

TEST_F(ConfigurationTest, StatusBeforeAndAfterTheChange) {
    openPrinter();
    const uint8_t record[8] = {};
    device->setStatus({0, 0, 0x40, 0, 0});
    awaitCycles();
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 2u);
    device->setStatus({0x08, 0, 0, 0, 0});
    awaitCycles();
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 4u);
    device->setStatus({0, 0, 0, 0, 0});
    awaitCycles();
    // The printer reports an error once it has taken the record: 4, and the monitor runs again.
    ObservingSpooler& observer = observe();
    observer.actAfter = u"SetConfiguration";
    observer.action = [this] { device->setStatusBit(4, 0x80, true); };
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, record), 4u);
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
    expectMonitorPolling();
}

TEST_F(ConfigurationTest, ANullRecordIsRefusedAfterTheCallLine) {
    openFresh();
    EXPECT_EQ(RvStatementSetPrinterConfiguration(handle, nullptr), 9u);
    EXPECT_TRUE(callerLog().empty());
    EXPECT_EQ(lines(14), (Lines{callLine(14), errorReturn(14, 9), returnLine(14)}));
    EXPECT_EQ(RvStatementSetPrinterConfiguration(nullptr, nullptr), 8u);
}

// --- paper configuration

TEST_F(ConfigurationTest, AUserSizeGoesIntoItsSlotAndBecomesASpoolerForm) {
    openFresh();
    // A device mode that had a custom size: selecting a form drops it.
    paper([](sim::PaperForms& p) {
        p.deviceMode[platform::kDeviceModeFieldsOffset] |= platform::kDmPaperLength | platform::kDmPaperWidth;
        return 0;
    });

    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 2, 0, 150), 0u);

    const Bytes record = device->settingsRecord();
    ASSERT_EQ(record.size(), 1344u);
    const uint32_t slot[6] = {le32(record, 172), le32(record, 176), le32(record, 180),
                              le32(record, 184), le32(record, 188), le32(record, 192)};
    EXPECT_EQ(std::vector<uint32_t>(slot, slot + 6), (std::vector<uint32_t>{2160, 1500, 64, 50, 64, 50}));
    EXPECT_EQ(le32(record, 228), 0u) << "the other slot is untouched";

    const auto forms = paper([](sim::PaperForms& p) { return p.forms; });
    ASSERT_EQ(forms.count(u"User Defined Size1"), 1u);
    const sim::SpoolerForm form = forms.at(u"User Defined Size1");
    EXPECT_EQ(form.flags, 2u);
    EXPECT_EQ(form.width, 216000);
    EXPECT_EQ(form.length, 150000);
    EXPECT_EQ((std::vector<int32_t>{form.left, form.top, form.right, form.bottom}),
              (std::vector<int32_t>{0, 0, 216000, 150000}));

    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.selectedPaper(); }), 256);
    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.selectedFormName(); }), u"User Defined Size1");
    const uint32_t fields = paper([](sim::PaperForms& p) { return p.selectedFields(); });
    EXPECT_EQ(fields & (platform::kDmPaperSize | platform::kDmFormName), platform::kDmPaperSize | platform::kDmFormName);
    EXPECT_EQ(fields & (platform::kDmPaperLength | platform::kDmPaperWidth), 0u);

    EXPECT_EQ(namesOf(callerLog()),
              (Names{u"GetPrinterW", u"DeviceCapabilitiesW", u"DeviceCapabilitiesW", u"DeviceCapabilitiesW",
                     u"DeviceCapabilitiesW", u"DocumentPropertiesW", u"SetPrinterW", u"PrinterData", u"PrinterData",
                     u"AddFormW"}));
    EXPECT_EQ(lines(32), (Lines{callLine(32), inputLine("Size:2 Length:150"), errorReturn(32, 0), returnLine(32)}));
}

TEST_F(ConfigurationTest, ASecondRegistrationUpdatesTheForm) {
    openFresh();
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 3, 2, 200), 0u);
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 3, 1, 100), 0u);
    const sim::SpoolerForm form = paper([](sim::PaperForms& p) { return p.forms.at(u"User Defined Size2"); });
    EXPECT_EQ(form.width, 210000);
    EXPECT_EQ(form.length, 100000);
    EXPECT_EQ(exchangesOf(u"SetFormW").size(), 1u);
}

struct ArgumentCase {
    const char* name;
    uint8_t sizeCode;
    uint8_t paperType;
    uint16_t length;
    uint32_t result;
};
void PrintTo(const ArgumentCase& c, std::ostream* out) { *out << c.name; }

const ArgumentCase kArguments[] = {
    {"Shortest", 2, 0, 70, 0},       {"Longest", 3, 1, 297, 0},          {"TooShort", 2, 0, 69, 9},
    {"TooLong", 3, 0, 298, 9},       {"UnknownType", 2, 3, 150, 9},      {"UnknownSize", 5, 0, 150, 9},
    {"LetterTakesAnything", 0, 9, 0, 0}, {"A4TakesAnything", 1, 7, 1000, 0}, {"SixInchTakesAnything", 4, 3, 5, 0},
};

class PaperArguments : public ConfigurationTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(PaperArguments, OnlyUserSizesCheckTypeAndLength) {
    const ArgumentCase& c = GetParam();
    openFresh();
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, c.sizeCode, c.paperType, c.length), c.result);
    if (c.result != 0) {
        EXPECT_TRUE(callerLog().empty()) << "nothing asked of the spooler";
    }
    EXPECT_EQ(lines(32).back(), returnLine(32));
}

INSTANTIATE_TEST_SUITE_P(Arguments, PaperArguments, ::testing::ValuesIn(kArguments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigurationTest, TheHandleIsCheckedBeforeAnyTraceLine) {
    openFresh();
    const size_t before = traceLines().size();
    EXPECT_EQ(RvStatementSetPaperConfiguration(nullptr, 2, 0, 150), 8u);
    EXPECT_EQ(traceLines().size(), before);
}

// What the driver or spooler offers that paper selection cannot use: 16, and nothing changed.
struct SelectionCase {
    const char* name;
    std::function<void(sim::PaperForms&)> change;
};
void PrintTo(const SelectionCase& c, std::ostream* out) { *out << c.name; }

const SelectionCase kSelections[] = {
    {"NoSixInchPaper", [](sim::PaperForms& p) { p.papers.pop_back(); }},
    {"NoDeviceMode", [](sim::PaperForms& p) { p.deviceMode.clear(); }},
    {"ShortDeviceMode", [](sim::PaperForms& p) { p.deviceMode.resize(100); }},
    {"NegativePaperCount", [](sim::PaperForms& p) { p.paperCount = -1; }},
    {"ZeroCounts", [](sim::PaperForms& p) { p.paperCount = 0; p.nameCount = 0; }},
    {"UnequalCounts", [](sim::PaperForms& p) { p.nameCount = 4; }},
    // The driver counts fewer papers than it writes: the lists are refused, not overrun.
    {"CountShortOfTheList", [](sim::PaperForms& p) { p.paperCount = 2; p.nameCount = 2; }},
    // A 64-character name without a terminator that starts like the form's is another paper.
    {"UnterminatedLongerName",
     [](sim::PaperForms& p) { p.papers.back().name = u"6inches wide" + std::u16string(52, u'x'); }},
};

class PaperSelection : public ConfigurationTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(PaperSelection, IsRefusedWithoutOverrunOrChange) {
    openFresh();
    paper([&](sim::PaperForms& p) {
        GetParam().change(p);
        return 0;
    });
    const Bytes before = paper([](sim::PaperForms& p) { return p.deviceMode; });
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 4, 0, 0), 16u);
    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.deviceMode; }), before);
    EXPECT_FALSE(paper([](sim::PaperForms& p) { return p.overrun; }));
    EXPECT_TRUE(exchangesOf(u"SetPrinterW").empty());
    EXPECT_EQ(lines(32), (Lines{callLine(32), inputLine("Size:4 Length:0"), errorReturn(32, 16), returnLine(32)}));
}

INSTANTIATE_TEST_SUITE_P(Drivers, PaperSelection, ::testing::ValuesIn(kSelections),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigurationTest, ANameOfAllSixtyFourCharactersIsComparedWithoutOverrun) {
    openFresh();
    paper([](sim::PaperForms& p) {
        p.papers.insert(p.papers.begin(), {77, std::u16string(64, u'6')});
        return 0;
    });
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 4, 0, 0), 0u);
    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.selectedPaper(); }), 258);
    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.selectedFormName(); }), u"6inches wide");
}

TEST_F(ConfigurationTest, ADriverModeLargerThanThePrintersIsTakenWhole) {
    openFresh();
    paper([](sim::PaperForms& p) {
        p.driverExtra = 96;
        return 0;
    });
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 1, 0, 0), 0u);
    EXPECT_FALSE(paper([](sim::PaperForms& p) { return p.overrun; }));
    const Bytes mode = paper([](sim::PaperForms& p) { return p.deviceMode; });
    EXPECT_EQ(mode.size(), 220u + 96u) << "the driver part reaches the printer";
    EXPECT_EQ(paper([](sim::PaperForms& p) { return p.selectedPaper(); }), 9);
}

TEST_F(ConfigurationTest, ARefusedDeviceModeIsAFailure) {
    openFresh();
    device->injectFault(u"SetPrinterW", sim::Fault::callFails());
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 0, 0, 0), 16u);
}

TEST_F(ConfigurationTest, AFailedSelectionIsReportedEvenWhenTheSizeWasStored) {
    openFresh();
    device->injectFault(u"GetPrinterW", sim::Fault::callFails());
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 2, 1, 200), 16u);
    EXPECT_EQ(le32(device->settingsRecord(), 176), 2000u) << "the size is stored all the same";
}

TEST_F(ConfigurationTest, OnlyAWholeSettingsRecordIsWrittenBack) {
    openFresh();
    device->setSettingsRecord(Bytes(1000, 0x33));
    EXPECT_EQ(RvStatementSetPaperConfiguration(handle, 2, 1, 200), 16u);
    EXPECT_EQ(device->settingsRecord(), Bytes(1000, 0x33));
    for (const sim::Exchange& e : exchangesOf(u"PrinterData")) EXPECT_EQ(e.direction, sim::Direction::Get);
    EXPECT_TRUE(paper([](sim::PaperForms& p) { return p.forms.empty(); }));
}

}  // namespace
}  // namespace rvs::test
