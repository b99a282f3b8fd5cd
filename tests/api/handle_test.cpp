#include <gtest/gtest.h>

#include <memory>

#include "api/call_frame.h"
#include "support/session_fixture.h"

namespace rvs::test {
namespace {

class HandleTest : public SessionFixture {};

TEST_F(HandleTest, NullGarbageAndStaleHandlesGive8WithoutATraceLine) {
    addPrinter();
    open();
    const std::string before = traceFile();

    // Memory that merely looks like a session, and memory that held one, are both refused.
    auto fake = std::make_unique<uint32_t[]>(64);
    fake[0] = kSessionMagic;
    RvStatementHandle garbage = reinterpret_cast<RvStatementHandle>(fake.get());

    EXPECT_EQ(RvStatementClose(nullptr), 8u);
    EXPECT_EQ(RvStatementClose(garbage), 8u);
    EXPECT_EQ(RvStatementGetTraceMode(nullptr, nullptr, nullptr, nullptr), 8u);
    EXPECT_EQ(RvStatementGetTraceMode(garbage, nullptr, nullptr, nullptr), 8u);
    EXPECT_EQ(RvStatementSetTraceMode(garbage, 0x3F, 5, rvText(u"x/")), 8u);
    EXPECT_EQ(traceFile(), before);
    EXPECT_NE(validateHandle(handle), nullptr);
}

TEST(Plox, Answers42WithOrWithoutSessions) { EXPECT_EQ(fnPlox(), 42); }

}  // namespace
}  // namespace rvs::test
