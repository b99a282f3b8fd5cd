#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace_fixture.h"

namespace rvs::test {
namespace {

using TraceLines = TraceFixture;

std::string hex(unsigned value) {
    char out[16];
    std::snprintf(out, sizeof out, "%04X", value);
    return out;
}

TEST_F(TraceLines, CallLineLayoutFollowsTheHeader) {
    TraceLine(&session, traceid::Call, "Call:%d\n", 8);
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][TRACE:5001]Call:8\n");
}

struct LevelCase {
    uint16_t id;
    const char* expectedPrefix;
};

class PrefixPerLevel : public TraceFixture, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(PrefixPerLevel, OnlyFatalHasABlankBetweenTheBrackets) {
    TraceLine(&session, GetParam().id, "x\n");
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + GetParam().expectedPrefix + "x\n");
}

INSTANTIATE_TEST_SUITE_P(
    Levels, PrefixPerLevel,
    ::testing::Values(LevelCase{0x1001, "10:20:31.042\t[host.exe] [FATAL:1001]"},
                      LevelCase{0x2002, "10:20:31.042\t[host.exe][ERR:2002]"},
                      LevelCase{0x3001, "10:20:31.042\t[host.exe][WAR:3001]"},
                      LevelCase{0x4abc, "10:20:31.042\t[host.exe][INF:4abc]"},
                      LevelCase{0x5005, "10:20:31.042\t[host.exe][TRACE:5005]"},
                      LevelCase{0x6001, "10:20:31.042\t[host.exe][DATA:6001]"},
                      LevelCase{0x7002, "10:20:31.042\t[host.exe][STS:7002]"}),
    [](const auto& info) { return "Id" + hex(info.param.id); });

TEST_F(TraceLines, ExecutableNameIsThePartAfterTheLastSeparator) {
    clock->setExecutablePath("host.exe");
    TraceLine(&session, traceid::Call, "a\n");
    clock->setExecutablePath("");
    TraceLine(&session, traceid::Call, "b\n");
    clock->setExecutablePath("/a/b/c/");
    TraceLine(&session, traceid::Call, "c\n");
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[][TRACE:5001]a\n" +
                               "10:20:31.042\t[][TRACE:5001]b\n" + "10:20:31.042\t[][TRACE:5001]c\n");
}

// A path longer than any buffer the writer keeps for it still gives the name after its last
// separator, not a piece of a directory.
TEST_F(TraceLines, ExecutableNameOfAVeryLongPath) {
    std::string expected = kHeaderOfMorning;
    for (size_t length : {4095, 4096, 4097, 5010}) {  // whole path, "/host.exe" included
        clock->setExecutablePath("/" + std::string(length - 10, 'd') + "/host.exe");
        TraceLine(&session, traceid::Call, "a\n");
        expected += "10:20:31.042\t[host.exe][TRACE:5001]a\n";
    }
    EXPECT_EQ(traceText(), expected);
}

TEST_F(TraceLines, LongExecutableNameIsCutToKeepThePrefixWithin63Characters) {
    const std::string longName(120, 'n');
    clock->setExecutablePath("/opt/" + longName);
    TraceLine(&session, traceid::AllocationFailure, "%dBytes\n", 100);
    std::string text = traceText().substr(std::string(kHeaderOfMorning).size());
    const std::string fixed = "10:20:31.042\t[] [FATAL:1001]";
    const std::string expected =
        "10:20:31.042\t[" + longName.substr(0, 63 - fixed.size()) + "] [FATAL:1001]" + "100Bytes\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.find("100Bytes"), 63u);
}

TEST_F(TraceLines, HeaderOncePerDayAndAgainAfterMidnight) {
    TraceLine(&session, traceid::Call, "Call:%d\n", 1);
    platform::LocalTime later = kMorning;
    later.hour = 23;
    clock->setLocalTime(later);
    TraceLine(&session, traceid::Return, "Ret:%d\n", 1);
    platform::LocalTime nextDay{2026, 12, 10, 0, 0, 1, 5};
    clock->setLocalTime(nextDay);
    TraceLine(&session, traceid::Call, "Call:%d\n", 2);
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][TRACE:5001]Call:1\n" +
                               "23:20:31.042\t[host.exe][TRACE:5002]Ret:1\n" +
                               "\n[API]Version:02.10 Date:2026/12/10\n" +
                               "00:00:01.005\t[host.exe][TRACE:5001]Call:2\n");
}

TEST_F(TraceLines, SameDayOfAnotherMonthIsANewDay) {
    TraceLine(&session, traceid::Call, "a\n");
    clock->setLocalTime({2027, 1, 9, 8, 0, 0, 0});
    TraceLine(&session, traceid::Call, "b\n");
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][TRACE:5001]a\n" +
                               "\n[API]Version:02.10 Date:2027/01/09\n" + "08:00:00.000\t[host.exe][TRACE:5001]b\n");
}

TEST_F(TraceLines, EverySessionWritesItsOwnHeader) {
    Session second;
    ASSERT_TRUE(printer->openPrinter(u"P", &second.printer));
    ASSERT_TRUE(TraceLoadSettings(&second));
    TraceLine(&session, traceid::Call, "first\n");
    TraceLine(&second, traceid::Call, "second\n");
    TraceLine(&session, traceid::Call, "first again\n");
    printer->closePrinter(second.printer);
    const std::string header = kHeaderOfMorning;
    EXPECT_EQ(traceText(), header + "10:20:31.042\t[host.exe][TRACE:5001]first\n" + header +
                               "10:20:31.042\t[host.exe][TRACE:5001]second\n" +
                               "10:20:31.042\t[host.exe][TRACE:5001]first again\n");
}

TEST_F(TraceLines, EmptyTextWritesNothingAtAll) {
    TraceLine(&session, traceid::Call, "");
    EXPECT_FALSE(traceExists());
}

TEST_F(TraceLines, NullSessionWritesNothing) {
    TraceLine(nullptr, traceid::Call, "x\n");
    TraceHex(nullptr, traceid::NewStatus, reinterpret_cast<const uint8_t*>("ab"), 2);
    EXPECT_EQ(TraceWrite(nullptr, traceid::Call, "x\n"), 1);
    EXPECT_FALSE(traceExists());
    EXPECT_TRUE(printer->exchanges().empty());
}

TEST_F(TraceLines, MissingDirectoryDropsTheLine) {
    device->setTraceSettings(0x3F, 5, u16(dir.path() + "/missing/"));
    ASSERT_TRUE(TraceLoadSettings(&session));
    EXPECT_EQ(TraceWrite(&session, traceid::Call, "x\n"), 0);
    TraceLine(&session, traceid::Call, "x\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

// (mode, id, written)
struct FilterCase {
    uint8_t mode;
    uint16_t id;
    bool written;
};

class LevelFilter : public TraceFixture, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(LevelFilter, ModeBitsSelectLevels) {
    const FilterCase& c = GetParam();
    session.traceMode = c.mode;
    EXPECT_EQ(TraceEnabled(&session, c.id), c.written);
    TraceLine(&session, c.id, "x\n");
    EXPECT_EQ(traceExists(), c.written) << "mode 0 or a refused level creates no file";
    EXPECT_EQ(TraceWrite(&session, c.id, "y\n"), 1);
    EXPECT_EQ(traceExists(), c.written) << "the writer filters like TraceEnabled";
}

INSTANTIATE_TEST_SUITE_P(
    Table, LevelFilter,
    ::testing::Values(FilterCase{0x01, 0x1001, true}, FilterCase{0x02, 0x2001, true}, FilterCase{0x04, 0x3001, true},
                      FilterCase{0x08, 0x4001, true}, FilterCase{0x10, 0x5001, true}, FilterCase{0x20, 0x6001, true},
                      FilterCase{0x3E, 0x1001, false}, FilterCase{0x3D, 0x2001, false},
                      FilterCase{0x3B, 0x3001, false}, FilterCase{0x37, 0x4001, false},
                      FilterCase{0x2F, 0x5001, false}, FilterCase{0x1F, 0x6001, false},
                      FilterCase{0x01, 0x7001, true}, FilterCase{0x80, 0x7002, true},
                      FilterCase{0x00, 0x7001, false}, FilterCase{0x00, 0x1001, false},
                      FilterCase{0xC0, 0x1001, false}, FilterCase{0xC0, 0x6001, false},
                      FilterCase{0xFF, 0x0001, false}, FilterCase{0xFF, 0x8001, false},
                      FilterCase{0xFF, 0xF001, false}),
    [](const auto& info) {
        return "Mode" + hex(info.param.mode) + "Id" + hex(info.param.id) + (info.param.written ? "Written" : "Dropped");
    });

using TraceDumps = TraceFixture;

TEST_F(TraceDumps, HexAloneIsUppercaseWithoutSeparators) {
    const uint8_t status[5] = {0x00, 0xAB, 0x10, 0xFF, 0x07};
    TraceHex(&session, traceid::NewStatus, status, sizeof status);
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][STS:7002]00AB10FF07\n");
}

TEST_F(TraceDumps, CaptionIsFollowedDirectlyByTheDump) {
    std::vector<uint8_t> mfg(115);
    std::string hex;
    for (size_t i = 0; i < mfg.size(); ++i) {
        mfg[i] = static_cast<uint8_t>(i * 7);
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[mfg[i] >> 4];
        hex += digits[mfg[i] & 15];
    }
    TraceDump(&session, traceid::Output, mfg.data(), mfg.size(), "Get %s:", "MFG");
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][INF:4002]Get MFG:" + hex + "\n");
}

TEST_F(TraceDumps, LongDumpIsWrittenWhole) {
    std::vector<uint8_t> data(5000, 0x5A);
    TraceDump(&session, traceid::Input, data.data(), data.size(), "Tx:");
    std::string hex;
    for (size_t i = 0; i < data.size(); ++i) hex += "5A";
    EXPECT_EQ(traceText(), std::string(kHeaderOfMorning) + "10:20:31.042\t[host.exe][INF:4001]Tx:" + hex + "\n");
}

// Around the size a dump is still built in place: caption, hex, line end and NUL in 1024 bytes.
TEST_F(TraceDumps, DumpsAtAndPastTheInPlaceSizeAreWrittenWhole) {
    struct Case {
        size_t caption, bytes;
    };
    const std::vector<uint8_t> data(600, 0xC3);
    std::string expected = kHeaderOfMorning;
    for (Case c : {Case{4, 509}, Case{4, 510}, Case{5, 509}, Case{1022, 0}, Case{1023, 0}, Case{1023, 1}}) {
        const std::string caption(c.caption, 'c');
        TraceDump(&session, traceid::Input, data.data(), c.bytes, "%s", caption);
        expected += "10:20:31.042\t[host.exe][INF:4001]" + caption;
        for (size_t i = 0; i < c.bytes; ++i) expected += "C3";
        expected += "\n";
    }
    EXPECT_EQ(traceText(), expected);
}

TEST_F(TraceDumps, NullDataOrFilteredLevelWritesNothing) {
    TraceHex(&session, traceid::NewStatus, nullptr, 5);
    TraceDump(&session, traceid::Output, nullptr, 5, "Get MFG:");
    session.traceMode = 0x01;
    const uint8_t byte = 1;
    TraceDump(&session, traceid::Output, &byte, 1, "Get MFG:");
    EXPECT_FALSE(traceExists());
}

}  // namespace
}  // namespace rvs::test
