#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace_fixture.h"

namespace rvs::test {
namespace {

using TraceSettings = TraceFixture;
using Lines = std::vector<std::string>;

std::u16string sessionDirectory(Session& s) { return std::u16string(s.traceDirectory); }

std::vector<uint8_t> patternedRecord(size_t size) {
    std::vector<uint8_t> record(size);
    for (size_t i = 0; i < size; ++i) record[i] = static_cast<uint8_t>(0x5A ^ (i * 31));
    return record;
}

TEST_F(TraceSettings, LoadTakesModeCountAndDirectoryWithASeparator) {
    device->setTraceSettings(0x12, 9, u16(dir.path()));
    Session fresh;
    ASSERT_TRUE(printer->openPrinter(u"P", &fresh.printer));
    EXPECT_TRUE(TraceLoadSettings(&fresh));
    printer->closePrinter(fresh.printer);
    EXPECT_EQ(fresh.traceMode.load(), 0x12);
    EXPECT_EQ(fresh.traceFileCount.load(), 9);
    EXPECT_EQ(sessionDirectory(fresh), directory());
    EXPECT_EQ(describe(printer->exchanges()), (Lines{"get PrinterDataSize 4", "get PrinterData 1344"}));
}

TEST_F(TraceSettings, ChangeFlagIsClearedAndTheSettingsReloaded) {
    const std::string other = dir.path() + "/other";
    std::filesystem::create_directory(other);
    device->setTraceSettings(0x10, 7, u16(other));
    device->setLogSettingChanged(true);

    TraceLine(&session, traceid::Call, "Call:%d\n", 2);

    EXPECT_EQ(describe(printer->exchanges()), (Lines{"get LogSettingCondition 1", "set LogSettingCondition t3 1 0",
                                                     "get PrinterDataSize 4", "get PrinterData 1344"}));
    EXPECT_FALSE(device->logSettingChanged());
    EXPECT_EQ(session.traceMode.load(), 0x10);
    EXPECT_EQ(session.traceFileCount.load(), 7);
    EXPECT_EQ(sessionDirectory(session), u16(other + "/"));
    EXPECT_EQ(readWhole(other + "/Korvelincomm.log"),
              std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][TRACE:5001]Call:2\n");
    EXPECT_FALSE(traceExists());
}

TEST_F(TraceSettings, EveryLineReadsTheFlagOnceEvenWithTracingOff) {
    session.traceMode = 0;
    TraceLine(&session, traceid::Call, "Call:%d\n", 2);
    TraceLine(&session, traceid::ErrorReturn, "x\n");
    TraceHex(&session, traceid::NewStatus, reinterpret_cast<const uint8_t*>("abcde"), 5);
    EXPECT_EQ(describe(printer->exchanges()),
              (Lines{"get LogSettingCondition 1", "get LogSettingCondition 1", "get LogSettingCondition 1"}));
    EXPECT_FALSE(traceExists());
}

TEST_F(TraceSettings, FailedReloadKeepsTheSettingsInForce) {
    device->setTraceSettings(0x10, 7, u"/elsewhere/");
    device->setLogSettingChanged(true);
    device->injectFault(u"PrinterData", sim::Fault::callFails());
    TraceLine(&session, traceid::Call, "Call:%d\n", 2);
    EXPECT_FALSE(device->logSettingChanged());
    EXPECT_EQ(session.traceMode.load(), 0x3F);
    EXPECT_EQ(session.traceFileCount.load(), 5);
    EXPECT_EQ(sessionDirectory(session), directory());
    EXPECT_NE(traceText().find("Call:2\n"), std::string::npos);
}

TEST_F(TraceSettings, StoreChangesOnlyTheTraceFields) {
    std::vector<uint8_t> original = patternedRecord(sim::kSettingsRecordSize);
    device->setSettingsRecord(original);
    const std::u16string given = u16(dir.path() + "/sub");

    EXPECT_EQ(TraceStoreSettings(&session, 0x13, 0x0209, given.c_str()), kSuccess);

    std::vector<uint8_t> expected = original;
    expected[288] = 0x13;
    expected[289] = 0;
    expected[290] = 0x09;
    expected[291] = 0x02;
    size_t at = 294;
    for (char16_t c : given + u'\0') {
        expected[at++] = static_cast<uint8_t>(c);
        expected[at++] = static_cast<uint8_t>(c >> 8);
    }
    EXPECT_EQ(device->settingsRecord(), expected);
    EXPECT_EQ(describe(printer->exchangesWithout({u"LogSettingCondition"})),
              (Lines{"get PrinterDataSize 4", "get PrinterData 1344", "set PrinterData t3 1344"}));
    EXPECT_EQ(session.traceMode.load(), 0x13);
    EXPECT_EQ(session.traceFileCount.load(), 0x0209);
    EXPECT_EQ(sessionDirectory(session), given + u"/");

    Session later;
    ASSERT_TRUE(printer->openPrinter(u"P", &later.printer));
    EXPECT_TRUE(TraceLoadSettings(&later));
    printer->closePrinter(later.printer);
    EXPECT_EQ(later.traceMode.load(), 0x13);
    EXPECT_EQ(later.traceFileCount.load(), 0x0209);
    EXPECT_EQ(sessionDirectory(later), given + u"/");
    EXPECT_EQ(device->settingsRecord(), expected) << "a load writes nothing back";
}

TEST_F(TraceSettings, StoreTracesCallAndReturn) {
    EXPECT_EQ(TraceStoreSettings(&session, 0x3F, 5, directory().c_str()), kSuccess);
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][TRACE:5001]Call:122\n" +
                               "10:20:31.042\t[host.exe][TRACE:5002]Ret:122\n");
}

struct StoreFault {
    const char* name;
    const char16_t* value;
    bool failTheWriteBack;
    Result result;
    const char* line;
};

class StoreFailure : public TraceFixture, public ::testing::WithParamInterface<StoreFault> {};

TEST_P(StoreFailure, IsTracedBetweenCallAndReturn) {
    const StoreFault& f = GetParam();
    const std::vector<uint8_t> record = device->settingsRecord();
    if (f.failTheWriteBack) device->injectFault(f.value, sim::Fault::answer(record));
    device->injectFault(f.value, sim::Fault::callFails());
    std::filesystem::create_directory(dir.file("next"));
    const std::u16string other = u16(dir.path() + "/next/");

    EXPECT_EQ(TraceStoreSettings(&session, 0x1F, 8, other.c_str()), f.result);

    // Lines written after a successful store go to the new directory.
    std::string text = traceText();
    if (f.result == kSuccess) text += readWhole(dir.file("next/Korvelincomm.log"));
    EXPECT_NE(text.find("[TRACE:5001]Call:122\n"), std::string::npos);
    EXPECT_NE(text.find(f.line), std::string::npos) << text;
    EXPECT_NE(text.find("[TRACE:5002]Ret:122\n"), std::string::npos);
    if (f.result == kSuccess) {
        EXPECT_EQ(session.traceMode.load(), 0x1F) << "the session keeps the new settings";
        EXPECT_EQ(sessionDirectory(session), other);
        EXPECT_EQ(device->settingsRecord(), record);
    } else {
        EXPECT_EQ(session.traceMode.load(), 0x3F);
        EXPECT_EQ(sessionDirectory(session), directory());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoreFailure,
    ::testing::Values(StoreFault{"SizeRead", u"PrinterDataSize", false, kFailure, "[ERR:2001]Key:PrinterDataSize\n"},
                      StoreFault{"RecordRead", u"PrinterData", false, kFailure, "[ERR:2001]Key:PrinterData\n"},
                      StoreFault{"WriteBack", u"PrinterData", true, kSuccess, "[ERR:2002]Key:PrinterData\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TraceSettings, TooLongDirectoryAtOpenLeavesTracingOff) {
    device->setTraceSettings(0x3F, 5, u"/" + std::u16string(300, u'd'));
    Session fresh;
    ASSERT_TRUE(printer->openPrinter(u"P", &fresh.printer));
    EXPECT_TRUE(TraceLoadSettings(&fresh)) << "the open goes on";
    EXPECT_EQ(fresh.traceMode.load(), 0);
    EXPECT_EQ(fresh.traceDirectory[0], 0);
    TraceLine(&fresh, traceid::AllocationFailure, "x\n");
    printer->closePrinter(fresh.printer);
}

TEST_F(TraceSettings, TooLongDirectoryOnReloadKeepsThePreviousOne) {
    device->setTraceSettings(0x11, 6, u"/" + std::u16string(300, u'd'));
    ASSERT_TRUE(TraceLoadSettings(&session));
    EXPECT_EQ(session.traceMode.load(), 0x11);
    EXPECT_EQ(session.traceFileCount.load(), 6);
    EXPECT_EQ(sessionDirectory(session), directory());
}

TEST_F(TraceSettings, EmptyDirectoryOnReloadTurnsTracingOff) {
    device->setTraceSettings(0x3F, 5, u"");
    device->setLogSettingChanged(true);
    TraceLine(&session, traceid::Call, "Call:%d\n", 2);
    EXPECT_EQ(session.traceMode.load(), 0);
    EXPECT_EQ(sessionDirectory(session), u"");
    EXPECT_FALSE(traceExists());
    TraceLine(&session, traceid::NewStatus, "x\n");
    EXPECT_FALSE(traceExists()) << "not even status lines";
}

TEST_F(TraceSettings, DirectoryMustBeTerminatedInsideTheRecord) {
    std::vector<uint8_t> record(300, 0);
    record[288] = 0x3F;
    record[290] = 4;
    for (size_t at = 294; at < record.size(); at += 2) record[at] = 'q';
    device->setSettingsRecord(record);
    Session fresh;
    ASSERT_TRUE(printer->openPrinter(u"P", &fresh.printer));
    EXPECT_TRUE(TraceLoadSettings(&fresh));
    printer->closePrinter(fresh.printer);
    EXPECT_EQ(fresh.traceMode.load(), 0);
    EXPECT_EQ(fresh.traceDirectory[0], 0);
}

TEST_F(TraceSettings, RecordTooShortForTheTraceFieldsIsNotLoaded) {
    device->setSettingsRecord(std::vector<uint8_t>(291, 0x3F));
    EXPECT_FALSE(TraceLoadSettings(&session));
    EXPECT_EQ(session.traceMode.load(), 0x3F);
    EXPECT_EQ(sessionDirectory(session), directory());
    const std::u16string other = directory() + u"x";
    EXPECT_EQ(TraceStoreSettings(&session, 1, 5, other.c_str()), kFailure);
    EXPECT_EQ(device->settingsRecord(), std::vector<uint8_t>(291, 0x3F));
    // Read whole, but with no room for the settings: they could not be written.
    const std::string text = traceText();
    EXPECT_NE(text.find("[ERR:2002]Key:PrinterData\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("[ERR:2001]"), std::string::npos) << text;
}

// Directory units (as stored in the record) and whether they fit the 260-unit field with
// the separator and the NUL.
struct DirectoryLength {
    size_t units;
    bool endsInSeparator;
    bool fits;
};

class DirectoryFit : public TraceFixture, public ::testing::WithParamInterface<DirectoryLength> {};

TEST_P(DirectoryFit, WithItsSeparatorWithin260Units) {
    const DirectoryLength& c = GetParam();
    std::u16string name = u"/" + std::u16string(c.units - 2, u'd') + (c.endsInSeparator ? u"/" : u"d");
    ASSERT_EQ(name.size(), c.units);
    EXPECT_EQ(TraceDirectoryFits(name.c_str()), c.fits);
    device->setTraceSettings(0x3F, 5, name);
    ASSERT_TRUE(TraceLoadSettings(&session));
    std::u16string expected = c.fits ? (c.endsInSeparator ? name : name + u"/") : directory();
    EXPECT_EQ(sessionDirectory(session), expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DirectoryFit,
                         ::testing::Values(DirectoryLength{258, false, true}, DirectoryLength{259, false, false},
                                           DirectoryLength{259, true, true}, DirectoryLength{260, true, false}),
                         [](const auto& info) {
                             return "Units" + std::to_string(info.param.units) +
                                    (info.param.endsInSeparator ? "WithSeparator" : "WithoutSeparator");
                         });

}  // namespace
}  // namespace rvs::test
