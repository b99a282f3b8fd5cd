#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RvStatement.h"
#include "trace_fixture.h"

namespace rvs::test {
namespace {

using Lines = std::vector<std::string>;

const RvChar* rv(const std::u16string& text) { return reinterpret_cast<const RvChar*>(text.c_str()); }

class TraceModeExports : public OpenSessionFixture {
protected:
    // The line texts after the header, without their prefixes.
    Lines tracedLines() { return linesOf(traceText()); }
    static Lines linesOf(const std::string& text) {
        Lines lines;
        size_t at = 0;
        while ((at = text.find('\t', at)) != std::string::npos) {
            size_t end = text.find('\n', at);
            lines.push_back(text.substr(text.find(']', at) + 1, end - text.find(']', at) - 1));
            at = end;
        }
        return lines;
    }
};

TEST_F(TraceModeExports, GetReturnsTheSessionSettings) {
    uint8_t mode = 0;
    uint16_t count = 0;
    std::u16string buffer(260, u'#');
    EXPECT_EQ(RvStatementGetTraceMode(handle(), &mode, &count, reinterpret_cast<RvChar*>(buffer.data())), kSuccess);
    EXPECT_EQ(mode, 0x3F);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(std::u16string(buffer.c_str()), directory());
    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:127", "[TRACE:5002]Ret:127"}));
}

TEST_F(TraceModeExports, GetWithANullPointerTracesOnlyTheCall) {
    uint8_t mode = 0;
    uint16_t count = 0;
    char16_t buffer[260];
    RvChar* out = reinterpret_cast<RvChar*>(buffer);
    EXPECT_EQ(RvStatementGetTraceMode(handle(), nullptr, &count, out), kInvalidParameter);
    EXPECT_EQ(RvStatementGetTraceMode(handle(), &mode, nullptr, out), kInvalidParameter);
    EXPECT_EQ(RvStatementGetTraceMode(handle(), &mode, &count, nullptr), kInvalidParameter);
    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:127", "[TRACE:5001]Call:127", "[TRACE:5001]Call:127"}));
}

TEST_F(TraceModeExports, InvalidHandleIsRefusedWithoutTraceOrExchange) {
    uint8_t mode = 0;
    uint16_t count = 0;
    char16_t buffer[260];
    const std::u16string d = directory();
    EXPECT_EQ(RvStatementGetTraceMode(nullptr, &mode, &count, reinterpret_cast<RvChar*>(buffer)), kInvalidHandle);
    EXPECT_EQ(RvStatementSetTraceMode(nullptr, 1, 5, rv(d)), kInvalidHandle);
    Session stranger;
    EXPECT_EQ(RvStatementSetTraceMode(toHandle(&stranger), 1, 5, rv(d)), kInvalidHandle);
    EXPECT_TRUE(printer->exchanges().empty());
    EXPECT_FALSE(traceExists());
}

TEST_F(TraceModeExports, SetStoresTheRecordAndSwitchesTheSessionAtOnce) {
    const std::vector<uint8_t> before = device->settingsRecord();
    const std::string sub = dir.path() + "/logs";
    std::filesystem::create_directory(sub);

    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0x10, 50, rv(u16(sub))), kSuccess);

    EXPECT_EQ(describe(printer->exchangesWithout({u"LogSettingCondition"})),
              (Lines{"get GetPrinterStatus 2", "get PrinterDataSize 4", "get PrinterData 1344", "set PrinterData t3 1344"}));
    std::vector<uint8_t> record = device->settingsRecord();
    EXPECT_EQ(record[288], 0x11) << "FATAL is always added";
    EXPECT_EQ(record[289], 0);
    EXPECT_EQ(record[290], 50);
    EXPECT_EQ(record[291], 0);
    const std::u16string stored(reinterpret_cast<const char16_t*>(record.data() + 294));
    EXPECT_EQ(stored, u16(sub)) << "stored as given, without a separator";
    for (size_t i = 0; i < record.size(); ++i) {
        if (i < 288 || i >= 294 + 2 * (sub.size() + 1)) {
            ASSERT_EQ(record[i], before[i]) << "byte " << i;
        }
    }

    uint8_t mode = 0;
    uint16_t count = 0;
    char16_t buffer[260];
    EXPECT_EQ(RvStatementGetTraceMode(handle(), &mode, &count, reinterpret_cast<RvChar*>(buffer)), kSuccess);
    EXPECT_EQ(mode, 0x11);
    EXPECT_EQ(count, 50);
    EXPECT_EQ(std::u16string(buffer), u16(sub + "/"));

    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:41", "[TRACE:5001]Call:122"}));
    const std::string moved = readWhole(sub + "/Korvelincomm.log");
    EXPECT_EQ(moved.rfind(kHeaderOfMorning, 0), 0u) << "a new directory's file gets its own header";
    EXPECT_EQ(linesOf(moved), (Lines{"[TRACE:5002]Ret:122", "[TRACE:5002]Ret:41", "[TRACE:5001]Call:127",
                                     "[TRACE:5002]Ret:127"}))
        << "the session writes to the new directory at once, with the new mode";
}

TEST_F(TraceModeExports, ModeZeroKeepsFatalLinesOn) {
    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0, 2, rv(directory())), kSuccess);
    EXPECT_EQ(device->settingsRecord()[288], 0x01);
    EXPECT_EQ(session.traceMode.load(), 0x01);
    EXPECT_EQ(session.traceFileCount.load(), 2);
}

struct BadArguments {
    const char* name;
    uint16_t fileCount;
    std::u16string directory;  // "<null>" for a null pointer
};

class SetTraceModeRefuses : public TraceModeExports, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(SetTraceModeRefuses, WithNineAndSettingsUnchanged) {
    const BadArguments& a = GetParam();
    const std::vector<uint8_t> before = device->settingsRecord();
    const RvChar* d = a.directory == u"<null>" ? nullptr : rv(a.directory);

    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0x02, a.fileCount, d), kInvalidParameter);

    EXPECT_EQ(device->settingsRecord(), before);
    EXPECT_EQ(session.traceMode.load(), 0x3F);
    EXPECT_EQ(session.traceFileCount.load(), 5);
    EXPECT_EQ(std::u16string(session.traceDirectory), directory());
    EXPECT_EQ(describe(printer->exchangesWithout({u"LogSettingCondition"})), (Lines{"get GetPrinterStatus 2"}));
    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:41", "[WAR:3001]Func:41 return 0x09", "[TRACE:5002]Ret:41"}));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SetTraceModeRefuses,
    ::testing::Values(BadArguments{"CountOne", 1, u"/tmp/"}, BadArguments{"CountFiftyOne", 51, u"/tmp/"},
                      BadArguments{"CountZero", 0, u"/tmp/"}, BadArguments{"EmptyDirectory", 5, u""},
                      BadArguments{"NullDirectory", 5, u"<null>"},
                      BadArguments{"DirectoryTooLong", 5, u"/" + std::u16string(259, u'd')}),
    [](const auto& info) { return std::string(info.param.name); });

struct BusyWord {
    const char* name;
    std::vector<uint8_t> word;
};

class SetTraceModeBusy : public TraceModeExports, public ::testing::WithParamInterface<BusyWord> {};

TEST_P(SetTraceModeBusy, IsRefusedWithEleven) {
    const std::vector<uint8_t> before = device->settingsRecord();
    device->setAnswer(u"GetPrinterStatus", GetParam().word);
    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0x02, 5, rv(directory())), kPrinterBusy);
    EXPECT_EQ(device->settingsRecord(), before);
    EXPECT_EQ(session.traceMode.load(), 0x3F);
    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:41", "[WAR:3001]Func:41 return 0x0B", "[TRACE:5002]Ret:41"}));
}

INSTANTIATE_TEST_SUITE_P(Words, SetTraceModeBusy,
                         ::testing::Values(BusyWord{"Printing", {0x20, 0x00}}, BusyWord{"JobHeld", {0x00, 0x01}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TraceModeExports, UnreadableStatusWordGivesItsCode) {
    device->injectFault(u"GetPrinterStatus", sim::Fault::callFails());
    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0x02, 5, rv(directory())), kInvalidParameter);
    EXPECT_EQ(session.traceMode.load(), 0x3F);
}

TEST_F(TraceModeExports, StoreFailureIsReturnedWithoutAnErrorReturnLine) {
    device->injectFault(u"PrinterDataSize", sim::Fault::callFails());
    EXPECT_EQ(RvStatementSetTraceMode(handle(), 0x3F, 5, rv(directory())), kFailure);
    EXPECT_EQ(tracedLines(), (Lines{"[TRACE:5001]Call:41", "[TRACE:5001]Call:122", "[ERR:2001]Key:PrinterDataSize",
                                    "[TRACE:5002]Ret:122", "[TRACE:5002]Ret:41"}));
}

}  // namespace
}  // namespace rvs::test
