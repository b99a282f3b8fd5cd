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

// The portable backend's 8-bit encoding is UTF-8 (the Win32 backend's is the ANSI code page).
TEST(TraceFormat, WideTextIsUtf8) {
    EXPECT_EQ(fmt("%ws", u"caf\u00e9"), "caf\xc3\xa9");
    EXPECT_EQ(fmt("%ls", u"\u041f\u0440\u0438\u043d\u0442\u0435\u0440"),
              "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xbd\xd1\x82\xd0\xb5\xd1\x80");
    EXPECT_EQ(fmt("%ws", u"\u65e5\u672c1"), "\xe6\x97\xa5\xe6\x9c\xac" "1");
    EXPECT_EQ(fmt("%ws", u"\U0001F600."), "\xf0\x9f\x98\x80.") << "a surrogate pair is one character";
    EXPECT_EQ(fmt("%ws", u"\xd800."), "\xef\xbf\xbd.") << "an unpaired surrogate";
    EXPECT_EQ(fmt("[%-8ws]", u"\u00e9t\u00e9"), "[\xc3\xa9t\xc3\xa9   ]") << "widths count bytes";
}

TEST(TraceFormat, WideTextIsCutBetweenCharactersWithinTheBuffer) {
    // "ab" then three-byte characters: of a 9-byte buffer, 8 hold text.
    char out[9 + 4];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(trace::format(out, 9, "ab%ws", {Arg(u"\u65e5\u672c\u8a9e")}), 8u);
    EXPECT_STREQ(out, "ab\xe6\x97\xa5\xe6\x9c\xac");
    EXPECT_EQ(std::string(out + 9, 4), "ZZZZ") << "nothing written past the buffer";
    // A four-byte character that does not fit whole is left out, and the text after it too.
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(trace::format(out, 7, "abc%ws", {Arg(u"\U0001F600z")}), 3u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(out[7], 'Z');
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
