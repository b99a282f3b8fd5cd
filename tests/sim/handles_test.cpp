// Opening and closing printers, and what a dead handle gets.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::PrinterHandle;

TEST_F(SimTest, UnknownPrinterDoesNotOpen) {
    PrinterHandle h = nullptr;
    EXPECT_FALSE(printer_.openPrinter(u"Q", &h));
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(printer_.openHandles(), 1);
    EXPECT_THROW(printer_.device(u"Q"), std::out_of_range);
}

TEST_F(SimTest, EachOpenGivesADistinctHandleCountedPerPrinter) {
    Device& other = printer_.addPrinter(u"Q", Profile::oxaSt());
    PrinterHandle second = nullptr, third = nullptr;
    ASSERT_TRUE(printer_.openPrinter(u"P", &second));
    ASSERT_TRUE(printer_.openPrinter(u"Q", &third));
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, handle_);
    EXPECT_NE(third, second);
    EXPECT_EQ(device_->openHandles(), 2);
    EXPECT_EQ(other.openHandles(), 1);
    EXPECT_EQ(printer_.openHandles(), 3);
    EXPECT_EQ(&printer_.device(u"Q"), &other);

    // Each handle reaches its own printer.
    other.setStatus({9, 0, 0, 0, 0});
    EXPECT_EQ(testing::get(printer_, third, u"StatusGet", 5).bytes[0], 9);
    EXPECT_EQ(testing::get(printer_, second, u"StatusGet", 5).bytes[0], 0);

    printer_.closePrinter(second);
    printer_.closePrinter(third);
    EXPECT_EQ(printer_.openHandles(), 1);
    EXPECT_EQ(other.openHandles(), 0);
}

TEST_F(SimTest, ClosedHandleFailsEveryCall) {
    printer_.closePrinter(handle_);
    EXPECT_EQ(printer_.openHandles(), 0);
    GetResult r = get(u"StatusGet", 5);
    EXPECT_EQ(r.error, kErrorInvalidHandle);
    EXPECT_EQ(r.needed, 0u);
    EXPECT_EQ(set(u"ReturnValue", platform::kRegDword, le32(0)), kErrorInvalidHandle);
    EXPECT_LT(printer_.deviceModeSize(handle_, u"P"), 0);
    uint8_t mode[220] = {};
    EXPECT_FALSE(printer_.readDeviceMode(handle_, u"P", mode, sizeof mode));
    EXPECT_EQ(testing::get(printer_, nullptr, u"StatusGet", 5).error, kErrorInvalidHandle);

    const auto log = printer_.exchanges();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].error, kErrorInvalidHandle);
    EXPECT_EQ(log[1].direction, Direction::Set);
    EXPECT_EQ(log[1].error, kErrorInvalidHandle);
}

TEST_F(SimTest, ReplacingAPrinterRetiresItsHandles) {
    Device& fresh = printer_.addPrinter(u"P", Profile::oxaSt());
    EXPECT_EQ(&printer_.device(u"P"), &fresh);
    EXPECT_EQ(get(u"StatusGet", 5).error, kErrorInvalidHandle);
    EXPECT_EQ(printer_.openHandles(), 0);
    printer_.closePrinter(handle_);

    PrinterHandle h = nullptr;
    ASSERT_TRUE(printer_.openPrinter(u"P", &h));
    EXPECT_EQ(testing::get(printer_, h, u"OXAGetStatus", 18).error, 0u);
    EXPECT_EQ(fresh.openHandles(), 1);
}

TEST(ScopedVirtualPrinter, InstallsItselfAndPutsBackThePreviousSpooler) {
    platform::Spooler* before = &platform::spooler();
    {
        ScopedVirtualPrinter outer;
        EXPECT_EQ(&platform::spooler(), &outer.get());
        {
            ScopedVirtualPrinter inner;
            EXPECT_EQ(&platform::spooler(), &*inner);
        }
        EXPECT_EQ(&platform::spooler(), &outer.get());
        outer->addPrinter(u"P", Profile::korvelin());
        PrinterHandle h = nullptr;
        EXPECT_TRUE(platform::spooler().openPrinter(u"P", &h));
    }
    EXPECT_EQ(&platform::spooler(), before);
}

}  // namespace
}  // namespace rvs::sim::testing
