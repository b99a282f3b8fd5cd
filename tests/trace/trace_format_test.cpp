#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "trace/trace_format.h"

namespace rvs::trace {
namespace {

template <class... A>
std::string fmt(const char* format, const A&... args) {
    char out[256];
    size_t n = trace::format(out, sizeof out, format, {Arg(args)...});
    EXPECT_EQ(n, std::strlen(out));
    return out;
}

TEST(TraceFormat, TraceConversions) {
    EXPECT_EQ(fmt("Call:%d\n", 8), "Call:8\n");
    EXPECT_EQ(fmt("%d", -5), "-5");
    EXPECT_EQ(fmt("Func:%d return 0x%02X\n", 41, 9u), "Func:41 return 0x09\n");
    EXPECT_EQ(fmt("%02x|%04x|%08X", 0xABu, 0x5001u, 0x1Au), "ab|5001|0000001A");
    EXPECT_EQ(fmt("%X", 0xBEEFu), "BEEF");
    EXPECT_EQ(fmt("%02d:%02d:%02d.%03d", 1, 2, 3, 4), "01:02:03.004");
    EXPECT_EQ(fmt("[%s]", "host.exe"), "[host.exe]");
    EXPECT_EQ(fmt("Key:%ws %ls", u"PrinterData", u"Size"), "Key:PrinterData Size");
    EXPECT_EQ(fmt("100%%"), "100%");
}

TEST(TraceFormat, IntegersPrintAsThirtyTwoBitC) {
    EXPECT_EQ(fmt("%d", 4294967295u), "-1");
    EXPECT_EQ(fmt("%d", 0x80000000u), "-2147483648");
    EXPECT_EQ(fmt("%X", -1), "FFFFFFFF");
    EXPECT_EQ(fmt("%02X", -2), "FFFFFFFE");
    EXPECT_EQ(fmt("%d", 0x1'0000'0005ull), "5");
}

TEST(TraceFormat, WideTextIsNarrowedToEightBits) {
    EXPECT_EQ(fmt("%ws", u"caf\u00e9"), "caf\xe9");
    EXPECT_EQ(fmt("%ws", u"\u20ac1"), "?1");
    EXPECT_EQ(fmt("%ws", u"\U0001F600."), "?.") << "a surrogate pair is one character";
}

TEST(TraceFormat, HostTextIsNeverAFormat) {
    EXPECT_EQ(fmt("%s|%ws", "%d%s%n", u"%ws"), "%d%s%n|%ws");
    EXPECT_EQ(fmt("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(fmt("%d %s"), " ") << "missing arguments print nothing";
    EXPECT_EQ(fmt("%d|%s", "text", 5), "|") << "an argument of the wrong kind prints nothing";
}

TEST(TraceFormat, CutAtCapacityAndAlwaysTerminated) {
    char out[8];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(trace::format(out, sizeof out, "%s-%d", {Arg("abcdef"), Arg(12345)}), 7u);
    EXPECT_STREQ(out, "abcdef-");
    char one[1] = {'Z'};
    EXPECT_EQ(trace::format(one, 1, "abc", {}), 0u);
    EXPECT_EQ(one[0], '\0');
}

}  // namespace
}  // namespace rvs::trace
