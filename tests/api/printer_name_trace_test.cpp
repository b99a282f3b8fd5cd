// Printer names cross the boundary as UTF-16; the trace file holds them in the system's 8-bit
// encoding, UTF-8 on this backend.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/session_fixture.h"

namespace rvs::test {
namespace {

class PrinterNameTrace : public SessionFixture {};

TEST_F(PrinterNameTrace, ANameOutsideLatin1IsTracedAsUtf8) {
    const std::u16string name = u"\u041f\u0440\u0438\u043d\u0442\u0435\u0440 \u65e5\u672c";  // Принтер 日本
    device = &spooler->addPrinter(name, sim::Profile::korvelin());
    device->setTraceSettings(0x3F, 5, traceDir.withSeparator());
    ASSERT_EQ(RvStatementOpen(rvText(name), &handle), 0u);
    const std::vector<std::string> lines = traceLines();
    const std::string expected = "[TRACE:5005]Printer name:\xd0\x9f\xd1\x80\xd0\xb8\xd0\xbd\xd1\x82\xd0\xb5\xd1\x80 "
                                 "\xe6\x97\xa5\xe6\x9c\xac";
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end());
}

}  // namespace
}  // namespace rvs::test
